#pragma once

// The play button over the window model, whatever makes the sound: hear the
// last seconds of the cut CUT ONE would make now, its ending included.

#include <string>

#include "preview/song_events.hpp"

namespace quorvane {

class WindowModel;

// What plays a clip: FluidSynth on Linux, the system's MIDI synthesizer on
// Windows. It plays away from the caller's thread: play() and stop() return
// at once.
class ClipPlayer {
public:
    virtual ~ClipPlayer() = default;
    // Stops what plays and plays `clip` from its start. False when there is
    // no device to play on. May throw FileError (a SoundFont it cannot load).
    virtual bool play(preview::SongEvents clip) = 0;
    virtual void stop() = 0;
    virtual bool playing() const = 0;
};

// Starts the preview of the current song's cut point on `player`, or stops
// the one playing. Returns the status line.
std::string toggleCutPointPreview(const WindowModel& model, ClipPlayer& player);

// A look at a preview from the window's timer: true while it plays; once it
// has played to its end, a status still saying "Playing" says so instead.
bool followPreview(WindowModel& model, bool playing);

}  // namespace quorvane
