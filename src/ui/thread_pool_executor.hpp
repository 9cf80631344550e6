#pragma once

// The window's background work: jobs on threads of their own, their results
// handed back to the window's thread through its event loop.

#include <QObject>
#include <QThreadPool>
#include <memory>

#include "workflow/platform_services.hpp"

namespace quorvane::ui {

class ThreadPoolExecutor final : public Executor {
public:
    // How long run() waits for a job before it leaves the result to the
    // event loop: a short job (nearly every song's measure) is over by then,
    // and the window shows its result at once, as if it had done it itself.
    static constexpr int kPatienceMs = 40;

    ThreadPoolExecutor();
    // Waits for the jobs still running; their results are dropped.
    ~ThreadPoolExecutor() override;
    ThreadPoolExecutor(const ThreadPoolExecutor&) = delete;
    ThreadPoolExecutor& operator=(const ThreadPoolExecutor&) = delete;

    void run(std::function<void()> job, std::function<void()> done) override;

private:
    struct Mailbox;
    std::shared_ptr<Mailbox> mailbox_;  // where finished jobs send their results; closed as the service goes
    QObject receiver_;                  // lives on the thread that made the service
    QThreadPool pool_;
};

}  // namespace quorvane::ui
