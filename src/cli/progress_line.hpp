#pragma once

#include <string>
#include <string_view>

namespace quorvane::cli {

// The one line `cut-all` redraws on a terminal: a bar of the files done, the
// count and the name of the file in hand, e.g.
//   [########------------] 8/20 SONG.MID
// It never reaches `columns` characters (a full line would wrap); a long name
// loses its end, never part of a character. The name is shown as
// terminalText() shows it.
std::string progressLine(int done, int position, int count, const std::string& name, int columns);

// `text` as the command line prints it: line by line, each control
// character and each byte that is not UTF-8 shown as '?', so that no name can
// move the cursor, clear the screen or retitle the terminal.
std::string terminalText(std::string_view text);

}  // namespace quorvane::cli
