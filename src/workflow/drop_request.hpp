#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quorvane {

// What a drop on the window asks for: a folder to list as SOURCE would, and
// the file of it to select (empty for a folder dropped). UTF-8.
struct DropRequest {
    std::string folder;  // absolute, with the platform's separators
    std::string fileName;
};

// A drop is taken when it holds exactly one folder, or exactly one .mid
// file (any case), given by their local paths (UTF-8); anything else is
// refused.
std::optional<DropRequest> dropRequest(const std::vector<std::string>& paths);

}  // namespace quorvane
