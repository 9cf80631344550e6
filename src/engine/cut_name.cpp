#include "cut_name.hpp"

#include <filesystem>
#include <unordered_set>

#include "platform/text.hpp"

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

std::string numberedName(const std::string& nameWithoutExtension, int number) {
    return number >= 2 ? nameWithoutExtension + "-" + std::to_string(number) : nameWithoutExtension;
}

std::vector<int> cutNumbers(const std::vector<std::string>& names) {
    // Compared in one case after the other, as the list's upper-case names
    // and a Format 0 cut's lower-case one both come from the name on disk.
    const auto key = [](const std::string& name) { return lowerCase(upperCase(name)); };
    std::unordered_set<std::string> taken;
    std::vector<int> numbers;
    numbers.reserve(names.size());
    for (const std::string& name : names) {
        const std::string own = key(withoutExtension(name.substr(fileNameStart(name))));
        int number = 0;
        if (!taken.insert(own).second) {
            number = 2;
            while (!taken.insert(numberedName(own, number)).second) ++number;
        }
        numbers.push_back(number);
    }
    return numbers;
}

std::string cutFilePath(const std::string& source, const std::string& listedName, const std::string& destFolder,
                        int number) {
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
    path = numberedName(path, number) + kSuffix;
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
