#include "caption_fit.hpp"

#include <algorithm>
#include <optional>

namespace quorvane {

namespace {

// Where each character of a UTF-8 text starts, and the text's end.
std::vector<std::size_t> characterStarts(std::string_view text) {
    std::vector<std::size_t> starts;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if ((static_cast<unsigned char>(text[at]) & 0xC0) != 0x80) starts.push_back(at);
    }
    starts.push_back(text.size());
    return starts;
}

// `text` with only `keep` of its characters, around an ellipsis.
std::string keepAround(std::string_view text, const std::vector<std::size_t>& starts, std::size_t keep) {
    const std::size_t count = starts.size() - 1;
    const std::size_t head = (keep + 1) / 2;
    const std::size_t tail = keep - head;
    std::string out(text.substr(0, starts[head]));
    out += kEllipsis;
    out += text.substr(starts[count - tail]);
    return out;
}

// The most characters in [least, most] for which `fits` holds, given that
// it holds for fewer whenever it holds for more; nothing when none does.
template <class Fits>
std::optional<std::size_t> mostThatFit(std::size_t least, std::size_t most, Fits fits) {
    if (most < least || !fits(least)) return std::nullopt;
    while (least < most) {
        const std::size_t middle = least + (most - least + 1) / 2;
        if (fits(middle)) {
            least = middle;
        } else {
            most = middle - 1;
        }
    }
    return least;
}

}  // namespace

std::string elideMiddle(std::string_view text, int room, const TextWidth& width) {
    if (width(text) <= room) return std::string(text);
    const std::vector<std::size_t> starts = characterStarts(text);
    const std::size_t count = starts.size() - 1;
    const auto kept =
        mostThatFit(0, count - 1, [&](std::size_t keep) { return width(keepAround(text, starts, keep)) <= room; });
    return kept ? keepAround(text, starts, *kept) : std::string();
}

std::string shortenCaption(std::string_view text, int room, std::vector<std::string> names, const TextWidth& width) {
    if (width(text) <= room) return std::string(text);
    std::stable_sort(names.begin(), names.end(),
                     [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
    for (const std::string& name : names) {
        const std::size_t at = name.empty() ? std::string_view::npos : text.find(name);
        if (at == std::string_view::npos) continue;
        const std::string_view before = text.substr(0, at);
        const std::string_view after = text.substr(at + name.size());
        const std::vector<std::size_t> starts = characterStarts(name);
        const std::size_t count = starts.size() - 1;
        const auto whole = [&](std::size_t keep) {
            return std::string(before) + keepAround(name, starts, keep) + std::string(after);
        };
        if (const auto kept = mostThatFit(1, count - 1, [&](std::size_t keep) { return width(whole(keep)) <= room; })) {
            return whole(*kept);
        }
    }
    return elideMiddle(text, room, width);
}

}  // namespace quorvane
