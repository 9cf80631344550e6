#pragma once

#include "app_state.hpp"

namespace quorvane {

// Reads the header and the first Set Tempo event of state.FilePath, scanning
// the tracks in file order, and sets IsFormatOne, FormatText, Tempo,
// Division and TickMs. A file without a Set Tempo event gets the standard
// default of 500000 microseconds per quarter note with its own division.
// Throws FileError when the file cannot be opened or read.
void PreLeggi(AppState& state);

}  // namespace quorvane
