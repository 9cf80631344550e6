#pragma once

// The window's background work: jobs on two worker threads, their results
// handed back to the window's thread through its message queue.

#include <windows.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "workflow/platform_services.hpp"

namespace quorvane::win32 {

class WorkerExecutor final : public Executor {
public:
    // How long run() waits for a job before it leaves the result to the
    // message loop: a short job (nearly every song's measure) is over by
    // then, and the window shows its result at once.
    static constexpr int kPatienceMs = 40;
    // Posted to the window when results wait; it answers with runWaitingResults().
    static constexpr UINT kResultsWaiting = WM_APP + 1;

    WorkerExecutor();
    // Waits for the jobs still running; their results are dropped.
    ~WorkerExecutor() override;
    WorkerExecutor(const WorkerExecutor&) = delete;
    WorkerExecutor& operator=(const WorkerExecutor&) = delete;

    // The window whose thread runs the results left to the message loop.
    void setWindow(HWND window);
    void run(std::function<void()> job, std::function<void()> done) override;
    // Runs the results that wait, on the calling thread (the window's).
    void runWaitingResults();

private:
    void work();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> jobs_;
    std::deque<std::function<void()>> results_;
    HWND window_ = nullptr;
    bool closing_ = false;
    std::vector<std::thread> workers_;
};

}  // namespace quorvane::win32
