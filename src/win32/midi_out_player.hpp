#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "preview/clip_player.hpp"

namespace quorvane::win32 {

// Plays a clip on the system's MIDI synthesizer (the MIDI mapper), on a
// thread of its own, by the clock: no SoundFont is needed. The device is
// opened for each clip and closed once it is over, so that other programs
// can use it in between.
class MidiOutPlayer : public preview::ClipPlayer {
public:
    // How long the last notes may ring before the device is silenced.
    static constexpr double kTailSeconds = 2.0;

    MidiOutPlayer() = default;
    ~MidiOutPlayer() override;
    MidiOutPlayer(const MidiOutPlayer&) = delete;
    MidiOutPlayer& operator=(const MidiOutPlayer&) = delete;

    // False when the system has no MIDI output to play on.
    bool play(preview::SongEvents clip) override;
    void stop() override;
    bool playing() const override { return playing_; }

private:
    void run(const preview::SongEvents& clip, void* device);

    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;  // under mutex_
    std::atomic<bool> playing_{false};
};

}  // namespace quorvane::win32
