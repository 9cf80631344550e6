#pragma once

#include <optional>
#include <string>

namespace quorvane {

// What the window's commands need from the platform. The window supplies Qt
// implementations; tests and the command line supply scripted ones.

class FolderPicker {
public:
    virtual ~FolderPicker() = default;
    // Lets the user choose a folder, starting at `startFolder` (empty: the
    // desktop). Nothing when the user cancels.
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

// The services a window model is built with.
struct PlatformServices {
    FolderPicker& folders;
    MessageSink& messages;
    EventPump& events;
    Pause& pause;
};

}  // namespace quorvane
