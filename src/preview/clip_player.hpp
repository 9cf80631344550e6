#pragma once

#include "song_events.hpp"

namespace quorvane::preview {

// Something that plays a clip's events on a thread of its own: play() and
// stop() return at once. FluidSynth plays them on Linux, the system's MIDI
// synthesizer on Windows.
class ClipPlayer {
public:
    virtual ~ClipPlayer() = default;
    // Stops what plays and plays `clip` from its start. False when there is
    // no device to play on; throws FileError when what it plays with (a
    // SoundFont) cannot be loaded.
    virtual bool play(SongEvents clip) = 0;
    virtual void stop() = 0;
    // Until the clip has died away, or stop().
    virtual bool playing() const = 0;
};

}  // namespace quorvane::preview
