#include "clock_text.hpp"

#include <cmath>

namespace quorvane {

std::string twoDigits(std::int64_t value) {
    std::string text = std::to_string(value);
    return (value >= 0 && value < 10) ? "0" + text : text;
}

std::string minutesSeconds(std::int64_t seconds) { return twoDigits(seconds / 60) + ":" + twoDigits(seconds % 60); }

std::int64_t wholeSeconds(double seconds) {
    if (!(seconds > 0)) return 0;
    return static_cast<std::int64_t>(std::floor(seconds));
}

}  // namespace quorvane
