#include "cut_name.hpp"

#include <filesystem>

#include "text.hpp"

namespace quorvane {

namespace {
bool isSeparator(char c) {
    return c == '/' || c == static_cast<char>(std::filesystem::path::preferred_separator);
}

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

const std::string& nameCutFile(AppState& state) {
    // Only the file name is shortened: the cut never leaves its folder,
    // whatever the name ends in.
    static constexpr char kSuffix[] = "-CUT.mid";
    if (state.TextDest.empty()) {
        const std::size_t nameStart = fileNameStart(state.FilePath);
        state.CutFilePath = state.FilePath.substr(0, nameStart) + withoutExtension(state.FilePath.substr(nameStart));
    } else {
        state.CutFilePath = state.TextDest;
        state.CutFilePath += static_cast<char>(std::filesystem::path::preferred_separator);
        state.CutFilePath += withoutExtension(state.FileName.substr(fileNameStart(state.FileName)));
    }
    state.CutFilePath += kSuffix;
    return state.CutFilePath;
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
