#pragma once

namespace quorvane::cli {

// Whether stderr goes to a terminal, where progress can be drawn in place.
bool standardErrorIsTerminal();
// The terminal's width in columns; 80 when it cannot be told.
int terminalColumns();

}  // namespace quorvane::cli
