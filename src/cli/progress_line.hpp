#pragma once

#include <string>

namespace quorvane::cli {

// The one line `cut-all` redraws on a terminal: a bar of the files done, the
// count and the name of the file in hand, e.g.
//   [########------------] 8/20 SONG.MID
// It never reaches `columns` characters (a full line would wrap); a long name
// loses its end, never part of a character.
std::string progressLine(int done, int position, int count, const std::string& name, int columns);

}  // namespace quorvane::cli
