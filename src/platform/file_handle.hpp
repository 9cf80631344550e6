#pragma once

#include <cstdio>
#include <memory>

namespace quorvane {

struct FileCloser {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};

// An open stdio file, closed when the handle goes.
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace quorvane
