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
#include "workflow/remembered_settings.hpp"

namespace quorvane::win32 {

namespace {

std::string settingsFile() {
    PWSTR roaming = nullptr;
    std::string file;
    if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &roaming))) {
        file = narrow(roaming) + "\\Quorvane\\quorvane.ini";
    }
    ::CoTaskMemFree(roaming);
    return file;
}

// The remembered settings in an ini file: "section/name" is the name in
// [section], a key without a section goes to [General].
class IniStore final : public SettingsStore {
public:
    explicit IniStore(const std::string& file) : file_(widen(file)) {}

    std::string value(const std::string& key) override {
        const auto [section, name] = split(key);
        std::wstring value(4096, L'\0');
        value.resize(::GetPrivateProfileStringW(section.c_str(), name.c_str(), L"", value.data(),
                                                static_cast<DWORD>(value.size()), file_.c_str()));
        return narrow(value);
    }
    void setValue(const std::string& key, const std::string& value) override {
        const auto [section, name] = split(key);
        ::WritePrivateProfileStringW(section.c_str(), name.c_str(), widen(value).c_str(), file_.c_str());
    }
    void remove(const std::string& key) override {
        const auto [section, name] = split(key);
        ::WritePrivateProfileStringW(section.c_str(), name.c_str(), nullptr, file_.c_str());
    }

private:
    static std::pair<std::wstring, std::wstring> split(const std::string& key) {
        const std::size_t slash = key.find('/');
        if (slash == std::string::npos) return {L"General", widen(key)};
        return {widen(key.substr(0, slash)), widen(key.substr(slash + 1))};
    }
    std::wstring file_;
};

std::optional<int> number(const std::string& text) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end) return std::nullopt;
    return value;
}

}  // namespace

WindowSettings::WindowSettings() : file_(settingsFile()) {}

void WindowSettings::restore(MainWindow& window) {
    if (file_.empty()) return;
    IniStore store(file_);
    restoreSettings(store, window.model());
    // A place on a screen that is no longer there would hide the window.
    const std::string place = store.value(settings_key::kPosition);
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
    IniStore store(file_);
    saveSettings(store, window.model());
    RECT frame;
    ::GetWindowRect(window.handle(), &frame);
    store.setValue(settings_key::kPosition, std::to_string(frame.left) + " " + std::to_string(frame.top));
}

}  // namespace quorvane::win32
