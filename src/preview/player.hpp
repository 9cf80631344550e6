#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "clip_player.hpp"
#include "song_events.hpp"
#include "synth.hpp"

// FluidSynth's own struct names, declared here to keep its header out.
// NOLINTBEGIN(bugprone-reserved-identifier)
struct _fluid_audio_driver_t;
struct _fluid_event_t;
struct _fluid_sequencer_t;
// NOLINTEND(bugprone-reserved-identifier)

namespace quorvane::preview {

// Plays songs through FluidSynth's audio driver for the platform, on the
// driver's own thread: play() and stop() return at once. FluidSynth's
// sequencer, run by the synth's sample clock, plays the events as it renders.
class Player : public ClipPlayer {
public:
    // `driver` empty: the first of the platform's drivers that opens a
    // device (kAudioDrivers). Tests pass "file" with
    // `fileName`, where the played frames then go instead of a device.
    Player(std::string soundFont, int sampleRate, std::string driver = {}, std::string fileName = {});
    ~Player() override;
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    // Stops what plays and plays `song` from its start. Loads the SoundFont
    // on first use (throws FileError when it cannot). False when there is
    // no audio device to play on.
    bool play(SongEvents song) override;
    void stop() override;
    // Until the song has died away (at most Sequencer::kTailSeconds after
    // its last event), or stop().
    bool playing() const noexcept override { return driver_ && !finished_; }

    // What has been played since the last play(): frames, and the most
    // voices that sounded at once.
    std::uint64_t framesPlayed() const noexcept { return frames_; }
    int voicesHeard() const noexcept { return voices_; }

private:
    // The sequencer's calls, on the driver's thread: an event of the song
    // is due, or (without one) the regular look at how far it has come.
    static void due(unsigned int time, _fluid_event_t* event, _fluid_sequencer_t* sequencer, void* data);
    void schedule(unsigned int ms, const TimedEvent* event);

    std::string soundFont_;
    int rate_;
    std::string driverName_;
    std::string fileName_;
    std::unique_ptr<Synth> synth_;
    SongEvents song_;
    _fluid_sequencer_t* sequencer_ = nullptr;
    short client_ = -1;
    _fluid_audio_driver_t* driver_ = nullptr;
    std::atomic<bool> finished_{false};
    std::atomic<std::uint64_t> frames_{0};
    std::atomic<int> voices_{0};
};

}  // namespace quorvane::preview
