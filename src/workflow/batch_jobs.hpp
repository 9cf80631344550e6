#pragma once

// CUT ALL on several threads. Each file of a batch is prepared and cut the
// same way whatever was cut before it, so files can be cut side by side; the
// batch itself still logs, reports and counts them one by one in list order.

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "form1.hpp"

namespace quorvane {

// Prepares and cuts a batch's files ahead of it, on `jobs` threads, each
// with a window model of its own holding the batch's folders, list and clip
// length. take() hands the outcomes over in list order. Works only a few
// files ahead of take(), so that a batch that stops leaves few cuts it did
// not log; a cut that finds its folder refusing every file (read-only,
// full) starts no other. Inactive (active() false) for one job and for a
// batch with work after each cut (onCutWritten): the batch then cuts each
// file itself.
class BatchAhead {
public:
    BatchAhead(const Form1& form, int jobs);
    // Lets the threads finish the files they are on, and waits for them.
    ~BatchAhead();
    BatchAhead(const BatchAhead&) = delete;
    BatchAhead& operator=(const BatchAhead&) = delete;

    bool active() const noexcept { return !threads_.empty(); }
    // The outcome of list entry `index`, once it is ready; indexes in order.
    BatchFileOutcome take(int index);
    // Starts no file any more, and hands over the outcomes of the files
    // after `index` already started, with their list indexes in order, once
    // they are done.
    std::vector<std::pair<int, BatchFileOutcome>> rest(int index);

    // The number of jobs "as many as the machine has cores" gives.
    static int coreCount();

private:
    void work();

    // The batch's setup, copied once: the threads never read the batch's model.
    std::string folder_, dest_;
    std::vector<ListItem> list_;
    double clipSeconds_ = 0;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::optional<BatchFileOutcome>> outcomes_;
    std::exception_ptr error_;  // a thread that failed outside any file
    int next_ = 0;              // the next file a thread takes
    int taken_ = 0;             // the files the batch has taken
    int ahead_ = 0;             // how far past taken_ the threads may go
    bool stopping_ = false;
    bool halted_ = false;       // no file is started any more
    std::vector<std::thread> threads_;
};

}  // namespace quorvane
