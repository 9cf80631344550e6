#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

namespace quorvane {

// Why a file operation failed. The user sees one text per kind; the rest
// (file, offset, reason) is context for the message and for the log.
enum class ErrorKind {
    UnreadableMidi,  // the bytes are not a MIDI file we can place
    CannotOpen,      // the source cannot be opened for reading
    CannotWrite,     // the cut file (or its temporary) cannot be created or written
    NotPrepared,     // the state lacks what the operation needs (e.g. no tempo yet)
};

class FileError : public std::runtime_error {
public:
    FileError(ErrorKind kind, std::string file, std::string reason,
              std::optional<std::uint64_t> offset = std::nullopt);

    ErrorKind kind() const noexcept { return kind_; }
    const std::string& file() const noexcept { return file_; }
    const std::string& reason() const noexcept { return reason_; }
    const std::optional<std::uint64_t>& offset() const noexcept { return offset_; }

    // The headline shown to the user for this kind, e.g. "CANNOT READ MIDI FILE".
    static const char* headline(ErrorKind kind) noexcept;

private:
    ErrorKind kind_;
    std::string file_;
    std::string reason_;
    std::optional<std::uint64_t> offset_;
};

// "<headline>: <file>: <reason> (at byte N)": the one place where an error
// becomes the user's text.
std::string userMessage(const FileError& error);

// Formats a byte as 0xNN for reasons.
std::string hexByte(unsigned value);

}  // namespace quorvane
