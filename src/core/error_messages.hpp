#pragma once

#include <cstdint>
#include <exception>
#include <string>

#include "engine/errors.hpp"

namespace quorvane {

// The text a user is shown for an error that stopped a command: what went
// wrong and on which file. `currentFile` names the file when the error
// itself does not.
std::string describeError(const std::exception_ptr& error, const std::string& currentFile);

// `text` followed by `file` on a line of its own, unless it names it already
// or `file` is empty.
std::string withFileNamed(const std::string& text, const std::string& file);

// What went wrong with one file of a batch, without its name (the log line
// names it): "CANNOT READ MIDI FILE: the file ends early (at byte 100)".
std::string describeFileFailure(const std::exception_ptr& error);

// The reason alone, without the headline: "the file ends early (at byte
// 100)". For what follows a headline of the caller's own.
std::string describeReason(const std::exception_ptr& error);

// Why a cut's folder takes no file at all (read-only, full), in the
// system's words; empty when the error is one file's own.
std::string destinationFault(const std::exception_ptr& error);

// The refusal of a song that no cutter takes (Format 2 and up), made before
// any cutter reads it: "format 2 is not supported". The header's format
// says it all, so no place in the file is named.
FileError unsupportedFormat(const std::string& file, std::uint16_t format);

}  // namespace quorvane
