#include "ui/thread_pool_executor.hpp"

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace quorvane::ui {

struct ThreadPoolExecutor::Mailbox {
    std::mutex mutex;
    QObject* receiver = nullptr;  // null once the service is going

    void post(std::function<void()> call) {
        const std::lock_guard lock(mutex);
        if (receiver) QMetaObject::invokeMethod(receiver, std::move(call), Qt::QueuedConnection);
    }
};

namespace {

// One job's hand-over: its result goes to the caller still waiting in run(),
// or, once the caller has stopped waiting, through the mailbox.
struct Task {
    std::mutex mutex;
    std::condition_variable over;
    bool finished = false;
    bool leftToEventLoop = false;
    std::function<void()> done;
};

}  // namespace

ThreadPoolExecutor::ThreadPoolExecutor() : mailbox_(std::make_shared<Mailbox>()) {
    mailbox_->receiver = &receiver_;
    // A job no longer wanted stops within one buffer, so two threads are
    // enough to keep a new job from waiting behind an old one.
    pool_.setMaxThreadCount(2);
}

ThreadPoolExecutor::~ThreadPoolExecutor() {
    {
        const std::lock_guard lock(mailbox_->mutex);
        mailbox_->receiver = nullptr;
    }
    pool_.waitForDone();
    // Results already posted go with the receiver, unrun.
}

void ThreadPoolExecutor::run(std::function<void()> job, std::function<void()> done) {
    auto task = std::make_shared<Task>();
    pool_.start([task, job = std::move(job), mailbox = mailbox_] {
        job();
        std::unique_lock lock(task->mutex);
        task->finished = true;
        if (!task->leftToEventLoop) {
            task->over.notify_one();
            return;
        }
        lock.unlock();
        mailbox->post([task] { task->done(); });
    });
    std::unique_lock lock(task->mutex);
    if (!task->over.wait_for(lock, std::chrono::milliseconds(kPatienceMs), [&] { return task->finished; })) {
        task->done = std::move(done);
        task->leftToEventLoop = true;
        return;
    }
    lock.unlock();
    done();
}

}  // namespace quorvane::ui
