// The window's background work: results on the window's thread, at once for
// a short job, through the message queue for a long one, never once the
// service is gone.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "win32/worker_executor.hpp"

namespace quorvane::win32 {
namespace {

// Waits until `done` holds, two seconds at most.
template <class Done>
bool waitFor(Done done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        ::Sleep(1);
    }
    return true;
}

// A job that runs until `release` is set.
auto heldUntil(std::atomic<bool>& release) {
    return [&release] {
        while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
}

TEST(WorkerExecutor, AShortJobsResultRunsAtOnceALongOnesWaitsForTheWindowsThread) {
    WorkerExecutor executor;
    std::thread::id jobThread, doneThread;
    executor.run([&] { jobThread = std::this_thread::get_id(); }, [&] { doneThread = std::this_thread::get_id(); });
    EXPECT_NE(jobThread, std::this_thread::get_id());
    EXPECT_EQ(doneThread, std::this_thread::get_id()) << "a short job's result comes before run() returns";

    WNDCLASSEXW type{};  // a window that only receives messages
    type.cbSize = sizeof(type);
    type.lpfnWndProc = DefWindowProcW;
    type.hInstance = ::GetModuleHandleW(nullptr);
    type.lpszClassName = L"QuorvaneTestMessages";
    ::RegisterClassExW(&type);
    HWND window =
        ::CreateWindowExW(0, type.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, type.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    executor.setWindow(window);
    std::atomic<bool> release{false}, second{false};
    doneThread = {};
    executor.run(heldUntil(release), [&] { doneThread = std::this_thread::get_id(); });
    EXPECT_EQ(doneThread, std::thread::id()) << "run() returned after its patience, the job still running";
    executor.run([&] { second = true; }, [] {});
    EXPECT_TRUE(waitFor([&] { return second.load(); })) << "two long jobs do not wait for each other";
    release = true;
    MSG message;
    ASSERT_TRUE(waitFor([&] {
        return ::PeekMessageW(&message, window, WorkerExecutor::kResultsWaiting, WorkerExecutor::kResultsWaiting,
                              PM_REMOVE) != 0;
    }));
    executor.runWaitingResults();
    EXPECT_EQ(doneThread, std::this_thread::get_id());
    ::DestroyWindow(window);
}

TEST(WorkerExecutor, ResultsLeftWhenTheServiceGoesAreDropped) {
    std::atomic<bool> release{false};
    bool done = false;
    {
        WorkerExecutor executor;
        executor.run(heldUntil(release), [&] { done = true; });
        release = true;
    }  // waits for the job
    EXPECT_FALSE(done);
}

}  // namespace
}  // namespace quorvane::win32
