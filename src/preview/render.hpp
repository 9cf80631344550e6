#pragma once

#include <cstdint>
#include <functional>

#include "sequencer.hpp"
#include "song_events.hpp"
#include "synth.hpp"

namespace quorvane::preview {

// Where rendered audio goes, block by block: `frames` stereo frames,
// interleaved (left, right), full scale at 1.0.
using AudioSink = std::function<void(const float* samples, int frames)>;

// Frames in each block a render hands on; the last one may be shorter.
inline constexpr int kRenderBlockFrames = 4096;

// Renders the whole song from a synth in its power-on state, until the last
// note has died away (at most Sequencer::kTailSeconds after the last event),
// and hands each block to `sink` as it is made: however long the song, only
// one block is held. Returns the frames rendered.
std::uint64_t renderSong(Synth& synth, const SongEvents& song, const AudioSink& sink);

}  // namespace quorvane::preview
