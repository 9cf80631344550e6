#include "win32/window_settings.hpp"

#include <shlobj.h>

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <system_error>

#include "platform/files.hpp"
#include "win32/main_window.hpp"
#include "win32/wide_text.hpp"

namespace quorvane::win32 {

namespace {

constexpr wchar_t kFolders[] = L"folders";
constexpr wchar_t kSource[] = L"source";
constexpr wchar_t kDest[] = L"destination";
constexpr wchar_t kGeneral[] = L"General";
constexpr wchar_t kClipLength[] = L"clipLength";
constexpr wchar_t kWindow[] = L"window";
constexpr wchar_t kPosition[] = L"position";

std::string settingsFile() {
    PWSTR roaming = nullptr;
    std::string file;
    if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &roaming))) {
        file = narrow(roaming) + "\\Quorvane\\quorvane.ini";
    }
    ::CoTaskMemFree(roaming);
    return file;
}

std::optional<int> number(const std::string& text) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end) return std::nullopt;
    return value;
}

}  // namespace

WindowSettings::WindowSettings() : file_(settingsFile()) {}

std::wstring WindowSettings::read(const wchar_t* section, const wchar_t* key) const {
    std::wstring value(4096, L'\0');
    const DWORD length = ::GetPrivateProfileStringW(section, key, L"", value.data(), static_cast<DWORD>(value.size()),
                                                    widen(file_).c_str());
    value.resize(length);
    return value;
}

void WindowSettings::write(const wchar_t* section, const wchar_t* key, const std::wstring& value) const {
    // An empty value removes the key.
    ::WritePrivateProfileStringW(section, key, value.empty() ? nullptr : value.c_str(), widen(file_).c_str());
}

void WindowSettings::restore(MainWindow& window) {
    if (file_.empty()) return;
    WindowModel& model = window.model();
    std::error_code error;
    // The remembered folder under `key` if it is still a folder; else forgotten.
    const auto folder = [&](const wchar_t* key) {
        std::string path = narrow(read(kFolders, key));
        if (path.empty() || std::filesystem::is_directory(pathFromUtf8(path), error)) return path;
        write(kFolders, key, L"");
        return std::string();
    };
    if (const std::string source = folder(kSource); !source.empty()) model.useSourceFolder(source);
    if (const std::string dest = folder(kDest); !dest.empty()) model.useDestFolder(dest);
    SliderModel& slider = window.clipSlider();
    if (const auto clip = number(narrow(read(kGeneral, kClipLength)));
        clip && *clip >= slider.min() && *clip <= slider.max()) {
        slider.setValue(*clip);
    }
    // A place on a screen that is no longer there would hide the window.
    const std::string place = narrow(read(kWindow, kPosition));
    const std::size_t space = place.find(' ');
    const auto x = number(place.substr(0, space));
    const auto y = space == std::string::npos ? std::nullopt : number(place.substr(space + 1));
    if (x && y && ::MonitorFromPoint(POINT{*x + 20, *y + 20}, MONITOR_DEFAULTTONULL)) {
        ::SetWindowPos(window.handle(), nullptr, *x, *y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    window.refresh();
    window.markCurrentSong();
}

void WindowSettings::save(MainWindow& window) {
    if (file_.empty()) return;
    const std::filesystem::path path = pathFromUtf8(file_);
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    if (!std::filesystem::exists(path, error)) {
        // Begun in UTF-16, the file keeps every name the system's calls write to it.
        if (std::FILE* created = ::_wfopen(path.c_str(), L"wb")) {
            std::fwrite("\xFF\xFE", 1, 2, created);
            std::fclose(created);
        }
    }
    WindowModel& model = window.model();
    write(kFolders, kSource, widen(model.sourceFolder));
    write(kFolders, kDest, widen(model.appState().destFolder));
    write(kGeneral, kClipLength, std::to_wstring(window.clipSlider().value()));
    RECT frame;
    ::GetWindowRect(window.handle(), &frame);
    write(kWindow, kPosition, std::to_wstring(frame.left) + L" " + std::to_wstring(frame.top));
}

}  // namespace quorvane::win32
