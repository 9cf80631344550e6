#pragma once

// The window model's platform services on Windows: the system's folder
// picker, message boxes, the message loop and a real pause.

#include <windows.h>

#include <deque>
#include <functional>
#include <optional>
#include <string>

#include "win32/worker_executor.hpp"
#include "workflow/platform_services.hpp"

namespace quorvane::win32 {

inline constexpr wchar_t kApplicationTitle[] = L"Quorvane";

// The system's folder picker (IFileOpenDialog picking folders), owned by the
// main window. Folders handed in beforehand (from the command line) answer
// the next requests instead of the picker.
class SystemFolderPicker final : public FolderPicker {
public:
    std::optional<std::string> pickFolder(const std::string& title, const std::string& startFolder) override;

    HWND owner = nullptr;
    std::deque<std::string> presetAnswers;
};

// A message box with an OK button and the program's title; or, where no user
// may be waited for (the screenshot mode), a line on the standard error.
class MessageBoxSink final : public MessageSink {
public:
    void showMessage(const std::string& text) override;

    HWND owner = nullptr;
    bool toStandardError = false;
    int shown = 0;  // messages shown so far
};

// Handles the thread's waiting messages, once.
class MessagePump final : public EventPump {
public:
    void processPendingEvents() override;

    // Takes each message first (the window's keys); true: handled.
    std::function<bool(const MSG&)> translate;
};

class SleepPause final : public Pause {
public:
    void sleepMilliseconds(int milliseconds) override;
};

// All five, for one window.
struct Win32Services {
    PlatformServices services() { return {folders, messages, events, pause, &executor}; }

    SystemFolderPicker folders;
    MessageBoxSink messages;
    MessagePump events;
    SleepPause pause;
    WorkerExecutor executor;
};

// An event pump that runs a step (the window showing the model) before it
// hands over to another pump.
class PumpAfter final : public EventPump {
public:
    PumpAfter(EventPump& inner, std::function<void()> before) : inner_(inner), before_(std::move(before)) {}
    void processPendingEvents() override {
        if (before_) before_();
        inner_.processPendingEvents();
    }

private:
    EventPump& inner_;
    std::function<void()> before_;
};

// Writes a line to the standard error, where the program has one.
void writeStandardError(const std::string& line);

}  // namespace quorvane::win32
