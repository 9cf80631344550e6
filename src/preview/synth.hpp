#pragma once

#include <memory>
#include <string>

#include "song_events.hpp"

// FluidSynth's own struct names, declared here to keep its header out.
// NOLINTBEGIN(bugprone-reserved-identifier)
struct _fluid_hashtable_t;
struct _fluid_synth_t;
struct _fluid_sfont_t;
// NOLINTEND(bugprone-reserved-identifier)

namespace quorvane::preview {

// A FluidSynth synthesizer with a SoundFont loaded, set up to render the
// same output for the same events every time: one thread, no randomness
// beyond what the SoundFont asks for, state reset between songs.
class Synth {
public:
    // Loads the SoundFont at `soundFont` (UTF-8) for `sampleRate` frames per
    // second. Throws FileError(CannotOpen) when FluidSynth cannot load it.
    Synth(const std::string& soundFont, int sampleRate);
    ~Synth();
    Synth(const Synth&) = delete;
    Synth& operator=(const Synth&) = delete;

    int sampleRate() const noexcept { return rate_; }
    // Brings the synthesizer back to its power-on state, effects included.
    // Throws FileError(CannotOpen) when the SoundFont can no longer be loaded.
    void reset();
    // Plays one event now.
    void play(const TimedEvent& event);
    // Renders `frames` stereo frames, interleaved, to `out`.
    void render(float* out, int frames);

    _fluid_hashtable_t* settings() noexcept { return settings_; }
    _fluid_synth_t* synth() noexcept { return synth_; }

private:
    void dropSynth() noexcept;

    _fluid_hashtable_t* settings_ = nullptr;
    _fluid_synth_t* owner_ = nullptr;  // holds the SoundFont
    _fluid_sfont_t* sfont_ = nullptr;
    _fluid_synth_t* synth_ = nullptr;  // plays
    std::string soundFont_;
    int rate_;
};

}  // namespace quorvane::preview
