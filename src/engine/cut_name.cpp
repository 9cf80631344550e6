#include "cut_name.hpp"

#include <filesystem>

namespace quorvane {

namespace {
bool isSeparator(char c) {
    return c == '/' || c == static_cast<char>(std::filesystem::path::preferred_separator);
}
}  // namespace

std::string withoutExtension(const std::string& text) {
    std::size_t end = text.size();
    for (int chars = 0; chars < 4 && end > 0; ++chars) {
        --end;
        // Step back over UTF-8 continuation bytes to the start of the character.
        while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    }
    return text.substr(0, end);
}

const std::string& nameCutFile(AppState& state) {
    static constexpr char kSuffix[] = "-CUT.mid";
    if (state.TextDest.empty()) {
        state.CutFilePath = withoutExtension(state.FilePath) + kSuffix;
    } else {
        state.CutFilePath = state.TextDest;
        state.CutFilePath += static_cast<char>(std::filesystem::path::preferred_separator);
        state.CutFilePath += withoutExtension(state.FileName) + kSuffix;
    }
    return state.CutFilePath;
}

std::string lowerCaseFileName(const std::string& path) {
    std::size_t nameStart = path.size();
    while (nameStart > 0 && !isSeparator(path[nameStart - 1])) --nameStart;
    return path.substr(0, nameStart) + asciiLower(path.substr(nameStart));
}

std::string lowerCaseSuffix(const std::string& path) {
    constexpr std::size_t kSuffixLength = sizeof("-CUT.mid") - 1;
    if (path.size() < kSuffixLength) return path;
    return path.substr(0, path.size() - kSuffixLength) + asciiLower(path.substr(path.size() - kSuffixLength));
}

std::string asciiUpper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

std::string asciiLower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

}  // namespace quorvane
