#include "errors.hpp"

#include <cstdio>

namespace quorvane {

namespace {
std::string compose(ErrorKind kind, const std::string& file, const std::string& reason,
                    const std::optional<std::uint64_t>& offset) {
    std::string text = FileError::headline(kind);
    if (!file.empty()) text += ": " + file;
    if (!reason.empty()) text += ": " + reason;
    if (offset) text += " (at byte " + std::to_string(*offset) + ")";
    return text;
}
}  // namespace

FileError::FileError(ErrorKind kind, std::string file, std::string reason,
                     std::optional<std::uint64_t> offset)
    : std::runtime_error(compose(kind, file, reason, offset)),
      kind_(kind),
      file_(std::move(file)),
      reason_(std::move(reason)),
      offset_(offset) {}

const char* FileError::headline(ErrorKind kind) noexcept {
    switch (kind) {
        case ErrorKind::UnreadableMidi: return "CANNOT READ MIDI FILE";
        case ErrorKind::CannotOpen: return "CANNOT OPEN FILE";
        case ErrorKind::CannotWrite: return "CANNOT WRITE FILE";
        case ErrorKind::NotPrepared: return "FILE NOT READY TO CUT";
    }
    return "ERROR";
}

std::string userMessage(const FileError& error) { return error.what(); }

std::string hexByte(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", value & 0xFFu);
    return text;
}

}  // namespace quorvane
