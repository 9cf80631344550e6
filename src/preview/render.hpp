#pragma once

#include <vector>

#include "sequencer.hpp"
#include "song_events.hpp"
#include "synth.hpp"

namespace quorvane::preview {

// Stereo audio, interleaved (left, right), full scale at 1.0.
struct Pcm {
    int sampleRate = 0;
    std::vector<float> samples;

    std::size_t frames() const noexcept { return samples.size() / 2; }
    double seconds() const noexcept { return sampleRate ? static_cast<double>(frames()) / sampleRate : 0; }
};

// Renders the whole song from a synth in its power-on state, until the last
// note has died away (at most Sequencer::kTailSeconds after the last event).
Pcm renderSong(Synth& synth, const SongEvents& song);

}  // namespace quorvane::preview
