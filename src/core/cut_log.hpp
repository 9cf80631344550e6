#pragma once

#include <string>

#include "platform/file_handle.hpp"

namespace quorvane {

// The CUT ALL log: open for the whole batch, each line flushed as it is
// written, so that a batch that stops keeps the lines so far. It is never
// written through a symbolic link, and it stays locked while it is open:
// one batch per folder at a time.
class CutLog {
public:
    // Creates the log at `path`, or empties it. Throws FileError(CannotWrite)
    // with the reason, before anything changed when another batch holds it.
    explicit CutLog(const std::string& path);
    // Appends `line` as it is (the caller ends it). Throws FileError(CannotWrite).
    void write(const std::string& line);

private:
    std::string path_;
    FileHandle file_;
};

}  // namespace quorvane
