#pragma once

#include <cstdint>

#include "song_events.hpp"
#include "synth.hpp"

namespace quorvane::preview {

// Plays a song on a synth by a sample clock: each event is played at the
// first frame at or after its time. The song is over once the last event
// has passed and the sound has died away, or at most kTailSeconds after it.
class Sequencer {
public:
    static constexpr double kTailSeconds = 2.0;

    Sequencer(const SongEvents& song, int sampleRate);

    // Renders up to `frames` frames to `out` (stereo, interleaved). Returns
    // the frames rendered: fewer than asked (0 included) once the song is over.
    int render(Synth& synth, float* out, int frames);
    bool over() const noexcept { return over_; }

private:
    const SongEvents& song_;
    std::size_t next_ = 0;
    std::uint64_t frame_ = 0;
    std::uint64_t lastEventFrame_;
    std::uint64_t endFrame_;  // no later than this
    int rate_;
    bool over_ = false;
};

}  // namespace quorvane::preview
