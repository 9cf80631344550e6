#include "cuts_ahead.hpp"

#include <algorithm>

namespace quorvane {

namespace {
constexpr int kFilesAheadPerJob = 4;
}  // namespace

CutsAhead::CutsAhead(const BatchPlan& plan, int jobs, const BatchClip& clip) : plan_(plan), clip_(clip) {
    const int count = static_cast<int>(plan_.songs.size());
    jobs = std::min(jobs, count);
    // What runs after each cut (an audio preview) is not known to be safe on
    // several threads at once: such a batch keeps to one. Files never share
    // a cut file (see cutNumbers), so any list can be cut side by side.
    if (jobs < 2 || plan_.afterCut) return;
    outcomes_.resize(static_cast<std::size_t>(count));
    ahead_ = jobs * kFilesAheadPerJob;
    for (int k = 0; k < jobs; ++k) threads_.emplace_back([this] { work(); });
}

CutsAhead::~CutsAhead() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    for (std::thread& thread : threads_) thread.join();
}

BatchFileOutcome CutsAhead::take(int index) {
    std::unique_lock lock(mutex_);
    const auto at = static_cast<std::size_t>(index);
    changed_.wait(lock, [&] { return outcomes_[at].has_value() || error_; });
    if (!outcomes_[at] && error_) std::rethrow_exception(error_);
    taken_ = index + 1;
    BatchFileOutcome outcome = std::move(*outcomes_[at]);
    outcomes_[at].reset();
    lock.unlock();
    changed_.notify_all();  // room ahead for the threads
    return outcome;
}

std::vector<std::pair<int, BatchFileOutcome>> CutsAhead::rest(int index) {
    std::vector<std::pair<int, BatchFileOutcome>> done;
    if (!active()) return done;
    std::unique_lock lock(mutex_);
    halted_ = true;
    const int started = next_;
    const auto ready = [&] {
        for (int k = index + 1; k < started; ++k) {
            if (!outcomes_[static_cast<std::size_t>(k)]) return false;
        }
        return true;
    };
    changed_.wait(lock, [&] { return ready() || error_; });
    if (!ready()) std::rethrow_exception(error_);
    for (int k = index + 1; k < started; ++k) done.emplace_back(k, std::move(*outcomes_[static_cast<std::size_t>(k)]));
    taken_ = started;
    return done;
}

void CutsAhead::work() {
    try {
        const int count = static_cast<int>(plan_.songs.size());
        for (;;) {
            int index;
            {
                std::unique_lock lock(mutex_);
                changed_.wait(lock, [&] { return stopping_ || halted_ || next_ >= count || next_ < taken_ + ahead_; });
                if (stopping_ || halted_ || next_ >= count) return;
                index = next_++;
            }
            BatchFileOutcome outcome = cutBatchFile(plan_, index, clip_);
            {
                const std::lock_guard lock(mutex_);
                if (!outcome.destinationFault.empty()) halted_ = true;
                outcomes_[static_cast<std::size_t>(index)] = std::move(outcome);
            }
            changed_.notify_all();
        }
    } catch (...) {
        {
            const std::lock_guard lock(mutex_);
            if (!error_) error_ = std::current_exception();
        }
        changed_.notify_all();
    }
}

}  // namespace quorvane
