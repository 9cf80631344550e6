#pragma once

#include "app_state.hpp"

namespace quorvane {

// Writes the cut copy of the Format 1 file state.FilePath, every track cut at
// the first bar line after state.CutTime and closed with All Sound Off and
// End of Track. Needs the tempo fields of a pre-read (PreLeggi). Sets
// CutFilePath. Throws FileError; on failure no file is created or changed.
void FormatoUno(AppState& state);

// Writes the cut copy of the single-track file state.FilePath at the exact
// time state.CutTime, fading the last tenth out and silencing all channels.
// Sets CutFilePath (lower-case file name), may update Tempo, Division and
// TickMs, and sets Text9 when the cut falls inside the song. Throws
// FileError; on failure no file is created or changed.
void FormatoZero(AppState& state);

// The cutter the pre-read format calls for.
inline void cutCurrentFile(AppState& state) {
    if (state.IsFormatOne) FormatoUno(state);
    else FormatoZero(state);
}

}  // namespace quorvane
