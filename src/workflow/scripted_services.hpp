#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform_services.hpp"

namespace quorvane {

// Answers folder dialogs from a queue: a path, or nothing for a cancel. An
// empty queue answers with a cancel. Every request is recorded.
class ScriptedFolderPicker : public FolderPicker {
public:
    struct Request {
        std::string title;
        std::string startFolder;
    };
    std::deque<std::optional<std::string>> answers;
    std::vector<Request> requests;

    std::optional<std::string> pickFolder(const std::string& title, const std::string& startFolder) override;
};

// Keeps every message instead of showing it; optionally echoes it.
class RecordingMessages : public MessageSink {
public:
    std::vector<std::string> messages;
    std::function<void(const std::string&)> echo;
    void showMessage(const std::string& text) override;
};

// An event pump that runs a hook (a test's "click during the batch"), or nothing.
class ScriptedEventPump : public EventPump {
public:
    std::function<void()> onPump;
    int pumps = 0;
    void processPendingEvents() override;
};

// Records pauses instead of sleeping.
class NoPause : public Pause {
public:
    std::vector<int> requested;
    void sleepMilliseconds(int milliseconds) override { requested.push_back(milliseconds); }
};

// Runs each job at once on the caller's thread, and its `done` straight after.
class ImmediateExecutor : public Executor {
public:
    void run(std::function<void()> job, std::function<void()> done) override {
        job();
        done();
    }
};

}  // namespace quorvane
