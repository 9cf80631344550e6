#pragma once

#include <string>

#include "platform/file_error.hpp"

namespace quorvane {

// The user's text for a file error, "<headline>: <file>: <reason> (at byte
// N)", e.g. "CANNOT READ MIDI FILE: /songs/A.MID: the file ends early (at
// byte 100)". Without the file when `namesFile` is false: a log line names
// the file itself.
std::string userMessage(const FileError& error, bool namesFile = true);

// Formats a byte as 0xNN for reasons.
std::string hexByte(unsigned value);

}  // namespace quorvane
