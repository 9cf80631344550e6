#pragma once

// The play button's sound on Windows: the clip's events sent to the
// system's MIDI synthesizer (the MIDI mapper) at their times, from a thread
// of their own.

#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "workflow/cut_point_play.hpp"

namespace quorvane::win32 {

class MidiPlayer final : public ClipPlayer {
public:
    // How long the sound may ring on after the clip's last event.
    static constexpr int kTailMs = 2000;

    MidiPlayer() = default;
    ~MidiPlayer() override;
    MidiPlayer(const MidiPlayer&) = delete;
    MidiPlayer& operator=(const MidiPlayer&) = delete;

    // False when the system has no MIDI output to open.
    bool play(preview::SongEvents clip) override;
    void stop() override;
    bool playing() const override { return playing_; }

private:
    void run(const preview::SongEvents& clip);
    void send(const preview::TimedEvent& event);
    // Waits until `until` unless stop() comes first; false when it did.
    bool wait(std::chrono::steady_clock::time_point until);

    HMIDIOUT out_ = nullptr;
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::atomic<bool> playing_{false};
};

}  // namespace quorvane::win32
