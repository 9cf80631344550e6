#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <system_error>

namespace quorvane {

// Why a file operation failed. The user sees one headline per kind; the rest
// (file, offset, reason) is context for the message and for the log.
enum class ErrorKind {
    UnreadableMidi,  // the bytes are not a MIDI file we can place
    CannotOpen,      // the source (or a folder) cannot be opened for reading
    CannotRead,      // the source was opened, but reading it failed
    CannotWrite,     // the cut file (or its temporary, or the log) cannot be created or written
    CannotCut,       // the song cannot be cut at the position asked for
    NotPrepared,     // the state lacks what the operation needs (e.g. no tempo yet)
};

// A failed file operation and its context. what() is the reason alone, as
// for every error of this program; userMessage() (engine/errors.hpp) makes
// the user's text.
class FileError : public std::runtime_error {
public:
    FileError(ErrorKind kind, std::string file, std::string reason, std::optional<std::uint64_t> offset = std::nullopt);
    // A failure the system reported, with its code.
    FileError(ErrorKind kind, std::string file, std::string reason, std::error_code cause);

    ErrorKind kind() const noexcept { return kind_; }
    const std::string& file() const noexcept { return file_; }
    const std::string& reason() const noexcept { return reason_; }
    const std::optional<std::uint64_t>& offset() const noexcept { return offset_; }
    // The system's code for the failure; none when it was ours.
    const std::error_code& cause() const noexcept { return cause_; }

private:
    ErrorKind kind_;
    std::string file_;
    std::string reason_;
    std::optional<std::uint64_t> offset_;
    std::error_code cause_;
};

// True when a write failed for a reason that holds for every file of its
// folder, not for the one file: a read-only file system, no space or quota
// left, no permission to write there.
bool refusesEveryFile(const FileError& error) noexcept;

}  // namespace quorvane
