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

// A window that only receives messages.
struct MessageWindow {
    MessageWindow() {
        WNDCLASSEXW type{};
        type.cbSize = sizeof(type);
        type.lpfnWndProc = DefWindowProcW;
        type.hInstance = ::GetModuleHandleW(nullptr);
        type.lpszClassName = L"QuorvaneTestMessages";
        ::RegisterClassExW(&type);
        handle = ::CreateWindowExW(0, type.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, type.hInstance,
                                   nullptr);
    }
    ~MessageWindow() { ::DestroyWindow(handle); }
    HWND handle = nullptr;
};

TEST(WorkerExecutor, AShortJobsResultRunsBeforeRunReturnsOnTheCallersThread) {
    WorkerExecutor executor;
    std::thread::id jobThread;
    std::thread::id doneThread;
    bool done = false;
    executor.run([&] { jobThread = std::this_thread::get_id(); },
                 [&] {
                     doneThread = std::this_thread::get_id();
                     done = true;
                 });
    EXPECT_TRUE(done);
    EXPECT_NE(jobThread, std::this_thread::get_id());
    EXPECT_EQ(doneThread, std::this_thread::get_id());
}

TEST(WorkerExecutor, ALongJobsResultWaitsForTheWindowsThread) {
    MessageWindow window;
    ASSERT_NE(window.handle, nullptr);
    WorkerExecutor executor;
    executor.setWindow(window.handle);
    std::atomic<bool> release{false};
    std::atomic<bool> finished{false};
    std::thread::id doneThread;
    executor.run(
        [&] {
            while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
            finished = true;
        },
        [&] { doneThread = std::this_thread::get_id(); });
    EXPECT_EQ(doneThread, std::thread::id()) << "run() returned after its patience, the job still running";
    release = true;
    ASSERT_TRUE(waitFor([&] { return finished.load(); }));
    MSG message;
    ASSERT_TRUE(waitFor([&] {
        return ::PeekMessageW(&message, window.handle, WorkerExecutor::kResultsWaiting, WorkerExecutor::kResultsWaiting,
                              PM_REMOVE) != 0;
    }));
    executor.runWaitingResults();
    EXPECT_EQ(doneThread, std::this_thread::get_id());
}

TEST(WorkerExecutor, ResultsLeftWhenTheServiceGoesAreDropped) {
    std::atomic<bool> release{false};
    bool done = false;
    {
        WorkerExecutor executor;
        executor.run(
            [&] {
                while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
            },
            [&] { done = true; });
        release = true;
    }  // waits for the job
    EXPECT_FALSE(done);
}

TEST(WorkerExecutor, TwoLongJobsDoNotWaitForEachOther) {
    WorkerExecutor executor;
    std::atomic<bool> release{false};
    std::atomic<bool> second{false};
    executor.run(
        [&] {
            while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        },
        [] {});
    executor.run([&] { second = true; }, [] {});
    EXPECT_TRUE(waitFor([&] { return second.load(); }));
    release = true;
}

}  // namespace
}  // namespace quorvane::win32
