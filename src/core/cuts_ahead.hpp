#pragma once

// CUT ALL on several threads. Each file of a batch is prepared and cut the
// same way whatever was cut before it, so files can be cut side by side; the
// batch itself still logs, reports and counts them one by one in list order.

#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include "cut_service.hpp"

namespace quorvane {

// Cuts a batch's files ahead of it, on `jobs` threads, each calling
// cutBatchFile. take() hands the outcomes over in list order. Works only a
// few files ahead of take(), so that a batch that stops leaves few cuts it
// did not log; a cut that finds its folder refusing every file (read-only,
// full) starts no other. Inactive (active() false) for one job and for a
// batch with work after each cut (afterCut): the batch then cuts each file
// itself.
class CutsAhead {
public:
    // `plan` and `clip` outlive this object.
    CutsAhead(const BatchPlan& plan, int jobs, const BatchClip& clip);
    // Lets the threads finish the files they are on, and waits for them.
    ~CutsAhead();
    CutsAhead(const CutsAhead&) = delete;
    CutsAhead& operator=(const CutsAhead&) = delete;

    bool active() const noexcept { return !threads_.empty(); }
    // The outcome of list entry `index`, once it is ready; indexes in order.
    BatchFileOutcome take(int index);
    // Starts no file any more, and hands over the outcomes of the files
    // after `index` already started, with their list indexes in order, once
    // they are done.
    std::vector<std::pair<int, BatchFileOutcome>> rest(int index);

private:
    void work();

    const BatchPlan& plan_;
    const BatchClip& clip_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::optional<BatchFileOutcome>> outcomes_;
    std::exception_ptr error_;  // a thread that failed outside any file
    int next_ = 0;              // the next file a thread takes
    int taken_ = 0;             // the files the batch has taken
    int ahead_ = 0;             // how far past taken_ the threads may go
    bool stopping_ = false;
    bool halted_ = false;  // no file is started any more
    std::vector<std::thread> threads_;
};

}  // namespace quorvane
