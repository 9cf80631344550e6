// Well-formed songs that the robustness tests damage and the fuzzer starts
// from: both formats, running status, SysEx and long meta events, tempo
// changes, escapes, system messages and alien chunks, a few kilobytes each.
#pragma once

#include <string>
#include <vector>

#include "midi_bytes.hpp"

namespace quorvane::robustness {

struct BaseSong {
    std::string name;
    testing::Bytes bytes;
    double endCutTime = 0;  // cut position (768 ticks per quarter note) at the song's last tick
};

const std::vector<BaseSong>& baseSongs();

}  // namespace quorvane::robustness
