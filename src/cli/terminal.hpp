#pragma once

namespace quorvane::cli {

// Whether stderr goes to a terminal, where progress can be drawn in place.
bool standardErrorIsTerminal();
// Whether stdout goes to a terminal rather than a pipe or a file.
bool standardOutputIsTerminal();
// The terminal's width in columns; 80 when it cannot be told.
int terminalColumns();

}  // namespace quorvane::cli
