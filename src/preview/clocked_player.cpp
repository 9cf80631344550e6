#include "clocked_player.hpp"

#include <chrono>

namespace quorvane::preview {

ClockedPlayer::ClockedPlayer(OutputOpener open, double tailSeconds)
    : open_(std::move(open)), tailSeconds_(tailSeconds) {}

ClockedPlayer::~ClockedPlayer() { stop(); }

bool ClockedPlayer::play(SongEvents clip) {
    stop();
    std::unique_ptr<MidiOutput> output = open_();
    if (!output) return false;
    stopping_ = false;
    playing_ = true;
    thread_ = std::thread([this, clip = std::move(clip), output = std::move(output)]() mutable {
        run(clip, *output);
        output.reset();  // closed before it is said to be over
        playing_ = false;
    });
    return true;
}

void ClockedPlayer::stop() {
    if (!thread_.joinable()) return;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void ClockedPlayer::run(const SongEvents& clip, MidiOutput& output) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    const auto at = [start](double seconds) {
        return start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    };
    std::unique_lock<std::mutex> lock(mutex_);
    const auto stopped = [this] { return stopping_; };
    for (const TimedEvent& event : clip.events) {
        if (wake_.wait_until(lock, at(event.seconds), stopped)) break;
        output.send(event);
    }
    wake_.wait_until(lock, at(clip.lastEventSeconds + tailSeconds_), stopped);
    output.silence();
}

}  // namespace quorvane::preview
