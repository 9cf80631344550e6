#include "win32/worker_executor.hpp"

#include <chrono>
#include <memory>

namespace quorvane::win32 {

namespace {

// One job's hand-over: its result goes to the caller still waiting in run(),
// or, once the caller has stopped waiting, to the window's thread.
struct Task {
    std::mutex mutex;
    std::condition_variable over;
    bool finished = false;
    bool leftToMessageLoop = false;
    std::function<void()> done;
};

}  // namespace

WorkerExecutor::WorkerExecutor() {
    // A job no longer wanted stops within one buffer, so two threads are
    // enough to keep a new job from waiting behind an old one.
    for (int k = 0; k < 2; ++k) workers_.emplace_back([this] { work(); });
}

WorkerExecutor::~WorkerExecutor() {
    {
        const std::lock_guard lock(mutex_);
        closing_ = true;
    }
    wake_.notify_all();
    for (std::thread& worker : workers_) worker.join();
}

void WorkerExecutor::setWindow(HWND window) {
    const std::lock_guard lock(mutex_);
    window_ = window;
}

void WorkerExecutor::work() {
    for (;;) {
        std::function<void()> job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return closing_ || !jobs_.empty(); });
            if (jobs_.empty()) return;  // closing, and nothing left to finish
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        job();
    }
}

void WorkerExecutor::run(std::function<void()> job, std::function<void()> done) {
    auto task = std::make_shared<Task>();
    {
        const std::lock_guard lock(mutex_);
        jobs_.emplace_back([this, task, job = std::move(job)] {
            job();
            std::unique_lock taskLock(task->mutex);
            task->finished = true;
            if (!task->leftToMessageLoop) {
                task->over.notify_one();
                return;
            }
            taskLock.unlock();
            const std::lock_guard lock(mutex_);
            if (closing_) return;  // dropped: the service is going
            results_.emplace_back([task] { task->done(); });
            if (window_) ::PostMessageW(window_, kResultsWaiting, 0, 0);
        });
    }
    wake_.notify_one();
    std::unique_lock lock(task->mutex);
    if (!task->over.wait_for(lock, std::chrono::milliseconds(kPatienceMs), [&] { return task->finished; })) {
        task->done = std::move(done);
        task->leftToMessageLoop = true;
        return;
    }
    lock.unlock();
    done();
}

void WorkerExecutor::runWaitingResults() {
    for (;;) {
        std::function<void()> result;
        {
            const std::lock_guard lock(mutex_);
            if (results_.empty() || closing_) return;
            result = std::move(results_.front());
            results_.pop_front();
        }
        result();
    }
}

}  // namespace quorvane::win32
