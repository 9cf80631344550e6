#include "json_lines.hpp"

#include <cmath>
#include <cstdio>

#include "core/error_messages.hpp"
#include "platform/file_error.hpp"

namespace quorvane::cli {

namespace {

// The length of the UTF-8 sequence at `text[at]`, 0 when none starts there.
std::size_t sequenceLength(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[at + k]); };
    const unsigned char first = byte(0);
    std::size_t length = 0;
    std::uint32_t least = 0;
    if (first < 0x80) return 1;
    if (first >= 0xC2 && first < 0xE0)
        length = 2, least = 0x80;
    else if (first >= 0xE0 && first < 0xF0)
        length = 3, least = 0x800;
    else if (first >= 0xF0 && first < 0xF5)
        length = 4, least = 0x10000;
    else
        return 0;
    if (at + length > text.size()) return 0;
    std::uint32_t code = first & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(k) & 0xC0) != 0x80) return 0;
        code = (code << 6) | (byte(k) & 0x3F);
    }
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000)) return 0;
    return length;
}

std::string kindName(ErrorKind kind) {
    switch (kind) {
        case ErrorKind::UnreadableMidi: return "unreadable-midi";
        case ErrorKind::CannotOpen: return "cannot-open";
        case ErrorKind::CannotRead: return "cannot-read";
        case ErrorKind::CannotWrite: return "cannot-write";
        case ErrorKind::CannotCut: return "cannot-cut";
        case ErrorKind::NotPrepared: return "not-prepared";
    }
    return "error";
}

}  // namespace

std::string jsonString(std::string_view text) {
    std::string out = "\"";
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = sequenceLength(text, at);
        if (length == 0) {
            out += "\xEF\xBF\xBD";  // U+FFFD
            ++at;
            continue;
        }
        const char c = text[at];
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
            out += escaped;
        } else {
            out.append(text.substr(at, length));
        }
        at += length;
    }
    return out + "\"";
}

void JsonObject::key(std::string_view key) {
    if (!fields_.empty()) fields_ += ',';
    fields_ += jsonString(key) + ':';
}

JsonObject& JsonObject::text(std::string_view key, std::string_view value) {
    this->key(key);
    fields_ += jsonString(value);
    return *this;
}

JsonObject& JsonObject::number(std::string_view key, std::int64_t value) {
    this->key(key);
    fields_ += std::to_string(value);
    return *this;
}

JsonObject& JsonObject::number(std::string_view key, std::uint64_t value) {
    this->key(key);
    fields_ += std::to_string(value);
    return *this;
}

JsonObject& JsonObject::seconds(std::string_view key, double value) {
    this->key(key);
    char text[40];
    std::snprintf(text, sizeof text, "%.6f", std::isfinite(value) ? value : 0.0);
    fields_ += text;
    return *this;
}

JsonObject& JsonObject::null(std::string_view key) {
    this->key(key);
    fields_ += "null";
    return *this;
}

JsonObject& JsonObject::object(std::string_view key, const JsonObject& value) {
    this->key(key);
    fields_ += "{" + value.fields_ + "}";
    return *this;
}

JsonObject failureObject(const std::string& file, const std::exception_ptr& error) {
    JsonObject failure;
    try {
        std::rethrow_exception(error);
    } catch (const FileError& e) {
        failure.text("kind", kindName(e.kind()));
        if (e.offset()) {
            failure.number("offset", *e.offset());
        } else {
            failure.null("offset");
        }
    } catch (...) {
        failure.text("kind", "error").null("offset");
    }
    failure.text("text", describeError(error, file));
    JsonObject object;
    object.text("file", file).object("error", failure);
    return object;
}

}  // namespace quorvane::cli
