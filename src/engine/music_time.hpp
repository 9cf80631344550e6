#pragma once

#include <cstdint>

namespace quorvane {

// Music time counts 768 ticks per quarter note.
inline constexpr std::int32_t kMusicTicksPerQuarter = 768;

}  // namespace quorvane
