#include "cut_name.hpp"

#include <filesystem>

#include "text.hpp"

namespace quorvane {

namespace {
bool isSeparator(char c) { return c == '/' || c == static_cast<char>(std::filesystem::path::preferred_separator); }

std::size_t fileNameStart(const std::string& path) {
    std::size_t start = path.size();
    while (start > 0 && !isSeparator(path[start - 1])) --start;
    return start;
}
}  // namespace

std::string withoutExtension(const std::string& name) {
    constexpr std::size_t kLength = 4;
    if (name.size() >= kLength && asciiLower(name.substr(name.size() - kLength)) == ".mid") {
        return name.substr(0, name.size() - kLength);
    }
    return name;
}

std::string cutFilePath(const std::string& source, const std::string& listedName, const std::string& destFolder) {
    // Only the file name is shortened: the cut never leaves its folder,
    // whatever the name ends in.
    static constexpr char kSuffix[] = "-CUT.mid";
    std::string path;
    if (destFolder.empty()) {
        const std::size_t nameStart = fileNameStart(source);
        path = source.substr(0, nameStart) + withoutExtension(source.substr(nameStart));
    } else {
        path = destFolder;
        path += static_cast<char>(std::filesystem::path::preferred_separator);
        path += withoutExtension(listedName.substr(fileNameStart(listedName)));
    }
    path += kSuffix;
    return path;
}

std::string lowerCaseFileName(const std::string& path) {
    const std::size_t nameStart = fileNameStart(path);
    return path.substr(0, nameStart) + lowerCase(path.substr(nameStart));
}

std::string lowerCaseSuffix(const std::string& path) {
    constexpr std::size_t kSuffixLength = sizeof("-CUT.mid") - 1;
    if (path.size() < kSuffixLength) return path;
    return path.substr(0, path.size() - kSuffixLength) + asciiLower(path.substr(path.size() - kSuffixLength));
}

}  // namespace quorvane
