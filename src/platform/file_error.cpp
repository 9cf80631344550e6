#include "file_error.hpp"

#include <cerrno>

namespace quorvane {

FileError::FileError(ErrorKind kind, std::string file, std::string reason, std::optional<std::uint64_t> offset)
    : std::runtime_error(reason), kind_(kind), file_(std::move(file)), reason_(std::move(reason)), offset_(offset) {}

FileError::FileError(ErrorKind kind, std::string file, std::string reason, std::error_code cause)
    : FileError(kind, std::move(file), std::move(reason)) {
    cause_ = cause;
}

bool refusesEveryFile(const FileError& error) noexcept {
    if (error.kind() != ErrorKind::CannotWrite || error.cause().category() != std::generic_category()) return false;
    switch (error.cause().value()) {
        case EROFS:
        case ENOSPC:
#ifdef EDQUOT
        case EDQUOT:
#endif
        case EACCES:
        case EPERM: return true;
        default: return false;
    }
}

}  // namespace quorvane
