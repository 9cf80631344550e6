#include "errors.hpp"

#include <cstdio>

#include "platform/text.hpp"

namespace quorvane {

namespace {
const char* headline(ErrorKind kind) noexcept {
    switch (kind) {
        case ErrorKind::UnreadableMidi: return "CANNOT READ MIDI FILE";
        case ErrorKind::CannotOpen: return "CANNOT OPEN FILE";
        case ErrorKind::CannotRead: return "CANNOT READ FILE";
        case ErrorKind::CannotWrite: return "CANNOT WRITE FILE";
        case ErrorKind::CannotCut: return "CANNOT CUT FILE";
        case ErrorKind::NotPrepared: return "FILE NOT READY TO CUT";
    }
    return "ERROR";
}
}  // namespace

std::string userMessage(const FileError& error, bool namesFile) {
    std::string text = headline(error.kind());
    if (namesFile && !error.file().empty()) text += ": " + withoutControlCharacters(error.file());
    if (!error.reason().empty()) text += ": " + error.reason();
    if (error.offset()) text += " (at byte " + std::to_string(*error.offset()) + ")";
    return text;
}

std::string hexByte(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", value & 0xFFu);
    return text;
}

}  // namespace quorvane
