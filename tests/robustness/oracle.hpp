// What the pre-reader and both cutters promise on any bytes, checked on one
// file: shared by the mutation tests and the fuzz target.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

namespace quorvane::robustness {

struct Tally {
    std::size_t preReads = 0;    // pre-reads that succeeded
    std::size_t cuts = 0;        // cuts that succeeded
    std::size_t failedCuts = 0;  // cuts that threw FileError
};

// Pre-reads `source` (`size` bytes), then cuts it with both cutters (the one
// its format calls for first) into the empty folder `dest` at `cutTicks`.
// Every call must succeed or throw FileError(UnreadableMidi) naming a place
// inside the file. A failed cut leaves the folder as it was (with
// `guardOldFile`, an older cut file of the same name stays untouched); a
// successful one leaves exactly its file, which the pre-reader reads back.
// Returns the first broken promise; `dest` is empty again afterwards.
std::optional<std::string> checkReaders(const std::filesystem::path& source, std::size_t size,
                                        const std::filesystem::path& dest, double cutTicks, bool guardOldFile,
                                        Tally& tally);

}  // namespace quorvane::robustness
