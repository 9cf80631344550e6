#pragma once

// How a caption too long for its place is shortened, for every face of the
// window: the width of a text comes from the face (its font, in pixels).

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// The width in pixels of a UTF-8 text.
using TextWidth = std::function<int(std::string_view text)>;

inline constexpr std::string_view kEllipsis = "\u2026";

// `text` whole when it fits in `room` pixels, else its first and last
// characters around an ellipsis, as many as fit (the first half one more);
// an ellipsis alone when nothing else fits, and nothing when that does not.
// Characters are never split.
std::string elideMiddle(std::string_view text, int room, const TextWidth& width);

// A caption of sentences: a text too long is cut inside the longest of
// `names` that it holds, keeping at least one character of the name, so that
// the words around it stay whole; when no name does, in its middle.
std::string shortenCaption(std::string_view text, int room, std::vector<std::string> names, const TextWidth& width);

}  // namespace quorvane
