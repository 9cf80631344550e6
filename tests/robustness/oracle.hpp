// What the robustness tests share with the fuzz target: the well-formed
// songs they damage or start from, and what the pre-reader and both cutters
// promise on any bytes, checked on one file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quorvane::robustness {

// Both formats, running status, SysEx and long meta events, tempo changes,
// escapes, system messages and alien chunks, a few kilobytes each.
struct BaseSong {
    std::string name;
    std::vector<std::uint8_t> bytes;
    std::uint64_t endTick = 0;  // the song's last tick (source ticks)
};
const std::vector<BaseSong>& baseSongs();

struct Tally {
    std::size_t cuts = 0;        // cuts that succeeded
    std::size_t failedCuts = 0;  // cuts that threw FileError
};

// Pre-reads `source` (`size` bytes), then cuts it at the source tick
// `cutTick` (kWholeSong: no cut) with both cutters into the empty folder
// `dest`. Each call succeeds or throws
// FileError(UnreadableMidi) naming a place inside the file. A failed cut
// leaves the folder as it was (with `guardOldFile`, an older cut file of the
// same name stays untouched); a successful one leaves exactly its file,
// which reads back. Returns the first broken promise; `dest` ends empty.
std::optional<std::string> checkReaders(const std::filesystem::path& source, std::size_t size,
                                        const std::filesystem::path& dest, std::uint64_t cutTick, bool guardOldFile,
                                        Tally& tally);

}  // namespace quorvane::robustness
