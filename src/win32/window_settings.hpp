#pragma once

// What the window remembers between runs, as the Qt window does: the source
// and destination folders, the clip length and the window's place, in
// %APPDATA%\Quorvane\quorvane.ini. Nothing remembered, the window starts as
// it always did; a remembered folder that is gone is forgotten without a word.

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
    std::wstring read(const wchar_t* section, const wchar_t* key) const;
    void write(const wchar_t* section, const wchar_t* key, const std::wstring& value) const;
    std::string file_;
};

}  // namespace quorvane::win32
