#pragma once

#include <cstdio>
#include <filesystem>

namespace quorvane {

// std::fopen with a path that keeps non-ASCII names intact on every platform.
std::FILE* openFile(const std::filesystem::path& path, const char* mode);

// True for files the platform hides from listings: names starting with a
// dot on Unix-like systems, the hidden and system attributes on Windows.
bool isHiddenFile(const std::filesystem::path& path);

// A path from a UTF-8 string, and back.
std::filesystem::path pathFromUtf8(const std::string& text);
std::string utf8FromPath(const std::filesystem::path& path);

}  // namespace quorvane
