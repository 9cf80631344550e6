#pragma once

#include <cstdint>
#include <string>

namespace quorvane {

// A whole number of seconds as mm:ss: minutes with at least two digits,
// seconds with two (0 gives 00:00, 252 gives 04:12, 6005 gives 100:05).
std::string minutesSeconds(std::int64_t seconds);

// A whole number with at least two digits (7 gives 07, 60 gives 60).
std::string twoDigits(std::int64_t value);

// The whole seconds of a time in seconds (rounded down; 0 below 0).
std::int64_t wholeSeconds(double seconds);

}  // namespace quorvane
