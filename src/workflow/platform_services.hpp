#pragma once

#include <functional>
#include <optional>
#include <string>

namespace quorvane {

// What the window's commands need from the platform. The window supplies Qt
// implementations; tests supply scripted ones.

class FolderPicker {
public:
    virtual ~FolderPicker() = default;
    // Lets the user choose a folder, starting at `startFolder` (empty: where
    // the platform starts, such as the home folder). Nothing when the user
    // cancels.
    virtual std::optional<std::string> pickFolder(const std::string& title, const std::string& startFolder) = 0;
};

class MessageSink {
public:
    virtual ~MessageSink() = default;
    // Shows `text` with an OK button and the application's title.
    virtual void showMessage(const std::string& text) = 0;
};

class EventPump {
public:
    virtual ~EventPump() = default;
    // Lets the window handle the events that are waiting, once.
    virtual void processPendingEvents() = 0;
};

class Pause {
public:
    virtual ~Pause() = default;
    virtual void sleepMilliseconds(int milliseconds) = 0;
};

// Work that would keep the window from answering (measuring a long song)
// done away from its thread.
class Executor {
public:
    virtual ~Executor() = default;
    // Runs `job` away from the calling thread, then `done` on the calling
    // thread: before run() returns when the job is over soon, else later,
    // from the thread's event loop. `done` never runs once the service is
    // gone; the service waits for its jobs as it goes, so a job's owner asks
    // it to stop first.
    virtual void run(std::function<void()> job, std::function<void()> done) = 0;
};

// The services a window model is built with.
struct PlatformServices {
    FolderPicker& folders;
    MessageSink& messages;
    EventPump& events;
    Pause& pause;
    Executor* executor = nullptr;  // none: every job runs at once, on the caller's thread
};

}  // namespace quorvane
