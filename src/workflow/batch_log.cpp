#include "batch_log.hpp"

#include "engine/errors.hpp"
#include "engine/platform_files.hpp"

namespace quorvane {

BatchLog::BatchLog(const std::string& path) : path_(path), file_(openFile(pathFromUtf8(path), "wb")) {
    if (!file_) throw FileError(ErrorKind::CannotWrite, path_, "cannot create the log");
}

void BatchLog::write(const std::string& line) {
    if (std::fwrite(line.data(), 1, line.size(), file_.get()) != line.size() || std::fflush(file_.get()) != 0) {
        throw FileError(ErrorKind::CannotWrite, path_, "cannot write the log");
    }
}

}  // namespace quorvane
