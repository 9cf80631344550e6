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
#include <vector>

#include "form1.hpp"

namespace quorvane {

// Prepares and cuts a batch's files ahead of it, on `jobs` threads, each
// with a window model of its own holding the batch's folders, list and clip
// length. take() hands the outcomes over in list order. Works only a few
// files ahead of take(), so that a batch that stops leaves few cuts it did
// not log. Inactive (active() false) for one job, for a batch with work
// after each cut (onCutWritten), and for a list in which two files could
// write the same cut file, whose order must stay the list's: the batch then
// cuts each file itself.
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
    std::vector<std::thread> threads_;
};

// True when two entries of `list` (in `folder`, cut into `dest`) could be
// cut to the same file, on a file system that tells case apart or not.
bool cutFilesMayCollide(const std::vector<ListItem>& list, const std::string& folder, const std::string& dest);

}  // namespace quorvane
