#include "drop_request.hpp"

#include <filesystem>
#include <system_error>

#include "platform/files.hpp"
#include "platform/text.hpp"

namespace quorvane {

std::optional<DropRequest> dropRequest(const std::vector<std::string>& paths) {
    if (paths.size() != 1 || paths.front().empty()) return std::nullopt;
    std::error_code error;
    std::filesystem::path path = std::filesystem::absolute(pathFromUtf8(paths.front()), error);
    if (error) return std::nullopt;
    path.make_preferred();
    if (std::filesystem::is_directory(path, error)) {
        // A folder given with a separator at its end is the same folder.
        if (!path.has_filename() && path.has_relative_path()) path = path.parent_path();
        return DropRequest{utf8FromPath(path), {}};
    }
    const std::string name = utf8FromPath(path.filename());
    const std::string lower = asciiLower(name);
    if (std::filesystem::is_regular_file(path, error) && lower.size() >= 4 &&
        lower.compare(lower.size() - 4, 4, ".mid") == 0) {
        return DropRequest{utf8FromPath(path.parent_path()), name};
    }
    return std::nullopt;
}

}  // namespace quorvane
