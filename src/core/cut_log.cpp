#include "cut_log.hpp"

#include <cerrno>
#include <system_error>

#include "engine/errors.hpp"
#include "platform/files.hpp"

namespace quorvane {

CutLog::CutLog(const std::string& path) : path_(path) {
    LockedFile opened = openLockedForWriting(pathFromUtf8(path));
    if (opened.busy) throw FileError(ErrorKind::CannotWrite, path_, "another CUT ALL is writing this folder's log");
    if (!opened.file) throw FileError(ErrorKind::CannotWrite, path_, "cannot create the log: " + opened.reason);
    file_.reset(opened.file);
}

void CutLog::write(const std::string& line) {
    errno = 0;
    if (std::fwrite(line.data(), 1, line.size(), file_.get()) != line.size() || std::fflush(file_.get()) != 0) {
        const int code = errno;
        throw FileError(ErrorKind::CannotWrite, path_,
                        "cannot write the log: " + (code ? std::generic_category().message(code) : "write failed"));
    }
}

}  // namespace quorvane
