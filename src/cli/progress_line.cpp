#include "progress_line.hpp"

#include <algorithm>

#include "platform/text.hpp"

namespace quorvane::cli {

namespace {
constexpr int kBarWidth = 20;

bool continuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }
}  // namespace

std::string progressLine(int done, int position, int count, const std::string& name, int columns) {
    const int filled = count > 0 ? std::clamp(done, 0, count) * kBarWidth / count : 0;
    std::string line = "[";
    line.append(static_cast<std::size_t>(filled), '#');
    line.append(static_cast<std::size_t>(kBarWidth - filled), '-');
    line += "] " + std::to_string(position) + "/" + std::to_string(count) + " ";
    // Too narrow for the bar itself: the count alone.
    if (static_cast<int>(line.size()) >= columns) return std::to_string(position) + "/" + std::to_string(count);
    // Characters, not bytes: a UTF-8 character takes one column here.
    int room = columns - 1 - static_cast<int>(line.size());
    const std::string shown = withoutControlCharacters(name);
    for (char i : shown) {
        if (!continuationByte(i) && --room < 0) break;
        line += i;
    }
    return line;
}

std::string terminalText(std::string_view text) {
    std::string shown;
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        shown += withoutControlCharacters(text.substr(start, end - start));
        if (end < text.size()) shown += '\n';
        start = end + 1;
    }
    return shown;
}

}  // namespace quorvane::cli
