#pragma once

// What the window remembers between runs (workflow/remembered_settings: the
// folders and the clip length) and its place, in
// %APPDATA%\Quorvane\quorvane.ini.

#include <string>

namespace quorvane::win32 {

class MainWindow;

class WindowSettings {
public:
    // The file in the user's roaming application data.
    WindowSettings();
    // Another file (UTF-8 name), for the tests.
    explicit WindowSettings(std::string file) : file_(std::move(file)) {}

    const std::string& file() const noexcept { return file_; }
    void restore(MainWindow& window);
    void save(MainWindow& window);

private:
    std::string file_;
};

}  // namespace quorvane::win32
