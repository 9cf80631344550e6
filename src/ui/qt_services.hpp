#pragma once

// The window model's platform services on Qt: the folder dialog, message
// boxes, the event loop and a real pause.

#include <deque>
#include <functional>
#include <optional>
#include <string>

#include <QString>

#include "ui/thread_pool_executor.hpp"
#include "workflow/platform_services.hpp"

class QWidget;

namespace quorvane::ui {

inline constexpr char kApplicationTitle[] = "Quorvane";

// Where the folder dialog opens for `folder`: the folder itself, or the
// nearest folder above it that is still there; the home folder without one.
QString dialogStartFolder(const std::string& folder);

// The platform's folder dialog, owned by the main window, starting at
// dialogStartFolder(). Folders handed in beforehand (from the command line)
// answer the next requests instead of the dialog.
class DialogFolderPicker final : public FolderPicker {
public:
    explicit DialogFolderPicker(QWidget* owner) : owner_(owner) {}
    std::optional<std::string> pickFolder(const std::string& title, const std::string& startFolder) override;

    std::deque<std::string> presetAnswers;

private:
    QWidget* owner_;
};

// A message box with an OK button and the program's title; or, where no
// user may be waited for (the screenshot mode), a line on stderr.
class MessageBoxSink final : public MessageSink {
public:
    explicit MessageBoxSink(QWidget* owner) : owner_(owner) {}
    void showMessage(const std::string& text) override;

    bool toStandardError = false;
    int shown = 0;  // messages shown so far

private:
    QWidget* owner_;
};

// Lets Qt handle the events that are waiting, and what they queue.
class ProcessEventsPump final : public EventPump {
public:
    void processPendingEvents() override;
};

// Blocks the thread for the time asked.
class ThreadSleep final : public Pause {
public:
    void sleepMilliseconds(int milliseconds) override;
};

// All five, for one window.
struct QtServices {
    explicit QtServices(QWidget* owner) : folders(owner), messages(owner) {}
    PlatformServices services() { return {folders, messages, events, pause, &executor}; }

    DialogFolderPicker folders;
    MessageBoxSink messages;
    ProcessEventsPump events;
    ThreadSleep pause;
    ThreadPoolExecutor executor;
};

// An event pump that runs a step (the window refreshing what it shows)
// before it hands over to another pump.
class PumpAfter final : public EventPump {
public:
    PumpAfter(EventPump& inner, std::function<void()> before) : inner_(inner), before_(std::move(before)) {}
    void processPendingEvents() override;

private:
    EventPump& inner_;
    std::function<void()> before_;
};

}  // namespace quorvane::ui
