#pragma once

// Stand-ins for the platform's services: the window and its model driven by
// a test instead of a user.

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "workflow/platform_services.hpp"

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

    std::optional<std::string> pickFolder(const std::string& title, const std::string& startFolder) override {
        requests.push_back({title, startFolder});
        if (answers.empty()) return std::nullopt;
        std::optional<std::string> answer = std::move(answers.front());
        answers.pop_front();
        return answer;
    }
};

// Keeps every message instead of showing it.
class RecordingMessages : public MessageSink {
public:
    std::vector<std::string> messages;
    void showMessage(const std::string& text) override { messages.push_back(text); }
};

// An event pump that runs a hook (a test's "click during the batch"), or nothing.
class ScriptedEventPump : public EventPump {
public:
    std::function<void()> onPump;
    int pumps = 0;
    void processPendingEvents() override {
        ++pumps;
        if (onPump) onPump();
    }
};

// Records pauses instead of sleeping.
class NoPause : public Pause {
public:
    std::vector<int> requested;
    void sleepMilliseconds(int milliseconds) override { requested.push_back(milliseconds); }
};

// Holds every job and its completion until the test finishes them, in the
// order given, as a worker thread would later; or runs them at once.
class HeldExecutor : public Executor {
public:
    bool atOnce = false;
    std::vector<std::pair<std::function<void()>, std::function<void()>>> held;
    void run(std::function<void()> job, std::function<void()> done) override {
        held.emplace_back(std::move(job), std::move(done));
        if (atOnce) finishAll();
    }
    void finishAll() {
        const auto jobs = std::exchange(held, {});
        for (const auto& [job, done] : jobs) {
            job();
            done();
        }
    }
};

}  // namespace quorvane
