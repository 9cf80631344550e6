#pragma once

// --json: one JSON object per file on stdout, one per line, and nothing else
// there, so that scripts never parse the log or the messages.

#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <string_view>

namespace quorvane::cli {

// A JSON string: quoted, escaped; bytes that are not UTF-8 become U+FFFD.
std::string jsonString(std::string_view text);

// The fields of one object, in the order they are added.
class JsonObject {
public:
    JsonObject& text(std::string_view key, std::string_view value);
    JsonObject& number(std::string_view key, std::int64_t value);
    JsonObject& number(std::string_view key, std::uint64_t value);
    JsonObject& seconds(std::string_view key, double value);  // to the microsecond
    JsonObject& null(std::string_view key);
    JsonObject& object(std::string_view key, const JsonObject& value);
    // The object on one line, ended by a line feed.
    std::string line() const { return "{" + fields_ + "}\n"; }

private:
    void key(std::string_view key);
    std::string fields_;
};

// A file that could not be done: its path, and the error's kind (such as
// "unreadable-midi"), byte offset (null where none) and the user's text.
JsonObject failureObject(const std::string& file, const std::exception_ptr& error);

}  // namespace quorvane::cli
