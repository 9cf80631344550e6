#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "clip_player.hpp"

namespace quorvane::preview {

// Where a clocked player sends a clip's events: a MIDI output, such as the
// system's synthesizer. Closed when it goes.
class MidiOutput {
public:
    virtual ~MidiOutput() = default;
    // Sends a channel message or, with status 0xF0, a SysEx, as it is due.
    virtual void send(const TimedEvent& event) = 0;
    // Every channel quiet at once: the clip is over, or stopped.
    virtual void silence() = 0;
};

// Plays a clip into a MIDI output by the steady clock, on a thread of its
// own. The output is opened for each clip and closed once it is over, so
// that other programs can use it in between.
class ClockedPlayer : public ClipPlayer {
public:
    // Opens the output; null when there is none to play on.
    using OutputOpener = std::function<std::unique_ptr<MidiOutput>()>;

    // The last notes ring `tailSeconds` past the clip's last event before
    // the output is silenced.
    explicit ClockedPlayer(OutputOpener open, double tailSeconds = 2.0);
    ~ClockedPlayer() override;
    ClockedPlayer(const ClockedPlayer&) = delete;
    ClockedPlayer& operator=(const ClockedPlayer&) = delete;

    bool play(SongEvents clip) override;
    // Returns once the output is silenced and closed.
    void stop() override;
    bool playing() const override { return playing_; }

private:
    void run(const SongEvents& clip, MidiOutput& output);

    OutputOpener open_;
    double tailSeconds_;
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;  // under mutex_
    std::atomic<bool> playing_{false};
};

}  // namespace quorvane::preview
