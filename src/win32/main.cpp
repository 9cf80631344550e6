// quorvane-gui.exe: the Quorvane window on Windows.
//
//   quorvane-gui [--source DIR] [--dest DIR] [--select N] [--screenshot FILE]
//
// The options do at start what the user would do by hand: SOURCE answered
// with DIR, DEST answered with DIR, a click on the Nth file of the list.
// --screenshot saves a PNG picture of the window after that and ends;
// messages then go to the standard error, and the exit status is 1 when
// there was one.

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <exception>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "platform/files.hpp"
#include "version/version.hpp"
#include "win32/command_line.hpp"
#include "win32/main_window.hpp"
#include "win32/png_file.hpp"
#include "win32/wide_text.hpp"
#include "win32/window_settings.hpp"

namespace {

using quorvane::win32::writeStandardError;

constexpr int kExitUsage = 2;  // a bad command line, as for the command line program

int fail(const std::string& message, int status = 1) {
    writeStandardError("quorvane-gui: " + message + "\n");
    return status;
}

// The arguments after the program's name, in UTF-8.
std::vector<std::string> arguments() {
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::string> out;
    for (int k = 1; wide && k < count; ++k) out.push_back(quorvane::win32::narrow(wide[k]));
    ::LocalFree(wide);
    return out;
}

// A folder given on the command line, as the folder picker would give it.
std::string folderArgument(const std::string& folder) {
    std::error_code error;
    std::filesystem::path path = std::filesystem::absolute(quorvane::pathFromUtf8(folder), error);
    if (error) path = quorvane::pathFromUtf8(folder);
    return quorvane::utf8FromPath(path.lexically_normal().make_preferred());
}

int messageLoop(quorvane::win32::WindowKeys& keys) {
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (keys.translate(message)) continue;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

int run() {
    const quorvane::win32::CommandLine options = quorvane::win32::parseCommandLine(arguments());
    if (!options.error.empty()) return fail(options.error, kExitUsage);
    if (options.help) {
        writeStandardError(quorvane::win32::usageText());
        return 0;
    }
    if (options.version) {
        writeStandardError(std::string("quorvane-gui ") + QUORVANE_VERSION + "\n");
        return 0;
    }
    // A picture is taken with nobody at the screen: nothing may wait for a click.
    const bool unattended = options.screenshot.has_value();

    std::unique_ptr<quorvane::win32::MainWindow> window;
    try {
        window = std::make_unique<quorvane::win32::MainWindow>();
    } catch (const std::exception& error) {
        if (unattended) return fail(std::string("the window cannot be built: ") + error.what());
        ::MessageBoxW(nullptr,
                      quorvane::win32::widen(std::string("The window cannot be built: ") + error.what()).c_str(),
                      quorvane::win32::kApplicationTitle, MB_OK | MB_ICONERROR);
        return 1;
    }

    // The folders, clip length and place of the last run; the options below
    // come on top. A picture taken unattended shows the window as it starts
    // for everybody, and remembers nothing.
    quorvane::win32::WindowSettings settings;
    if (!unattended) settings.restore(*window);

    using quorvane::ui::layout::Button;
    auto& services = *window->ownServices();
    services.messages.toStandardError = unattended;
    if (options.source) {
        services.folders.presetAnswers.push_back(folderArgument(*options.source));
        window->runCommand(Button::Source);
    }
    if (options.dest) {
        services.folders.presetAnswers.push_back(folderArgument(*options.dest));
        window->runCommand(Button::Dest);
    }
    window->show();
    if (options.select) {
        const int count = window->list().count();
        const auto n = quorvane::win32::selectedRow(*options.select, count);
        if (!n) return fail("--select " + *options.select + ": the list has " + std::to_string(count) + " files");
        window->chooseRow(*n - 1);
    }

    if (options.screenshot) {
        // The picture shows the chosen song measured, however long it is.
        while (window->model().measuring()) {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, INFINITE, QS_ALLINPUT);
            services.events.processPendingEvents();
        }
        services.events.processPendingEvents();
        if (!quorvane::win32::savePng(*window->capture(), *options.screenshot)) {
            return fail("cannot write " + *options.screenshot);
        }
        return services.messages.shown > 0 ? 1 : 0;  // the picture is saved either way
    }
    const int status = messageLoop(window->keys());
    settings.save(*window);
    return status;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) return 1;
    const int status = run();
    ::CoUninitialize();
    return status;
}
