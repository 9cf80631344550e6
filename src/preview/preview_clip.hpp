#pragma once

#include "engine/cutters.hpp"
#include "song_events.hpp"

namespace quorvane::preview {

// How much of the song a cut point preview plays before the cut's end.
inline constexpr double kCutPointSeconds = 5.0;

// The end of the cut `request` would write: its last `seconds`, the cut's
// own ending (All Sound Off, or the fade) included. The cut goes to a
// private temporary folder, removed again; `request.destFolder` is not used.
// Throws FileError as the cutter does.
SongEvents cutEnding(CutRequest request, bool formatOne, double seconds = kCutPointSeconds);

}  // namespace quorvane::preview
