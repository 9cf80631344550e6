#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace quorvane {

class SongSource;

// What a cut needs: the song, where its copy goes, and where it is cut.
struct CutRequest {
    std::string source;                // path of the song (UTF-8)
    std::string listedName;            // the name the list shows; names the copy in a destination folder
    std::string destFolder;            // empty: the copy goes beside the source
    bool keepsNameCase = false;        // another file's name differs only in case: the copy keeps the case
    double cutTicks = 0;               // cut position in music time
    std::uint32_t tempo = 0;           // from the pre-read: microseconds per quarter note
    double tickMs = 0;                 // from the pre-read: milliseconds per source tick
    const SongSource* song = nullptr;  // the source already opened (for `source`), or none: opened here
};

// A Set Tempo the Format 0 cut copied: the tempo the song ends with.
struct TempoChange {
    std::uint32_t tempo = 0;
    std::uint32_t division = 0;  // ticks per quarter note
    double tickMs = 0;
};

struct CutResult {
    std::string path;                      // the file written
    bool insideSong = false;               // Format 0: the cut fell before the song's own end
    std::optional<TempoChange> tempo;      // Format 0: the last Set Tempo copied
    std::array<int, 16> channelVolumes{};  // Format 0: the last Channel Volume per channel
};

// Writes the cut copy of a Format 1 song, every track cut at the first bar
// line after the cut position and closed with All Sound Off and End of
// Track. Needs the tempo fields of a pre-read. Throws FileError; on failure
// no file is created or changed.
CutResult cutFormatOne(const CutRequest& request);

// Writes the cut copy of a single-track song at the exact cut time, fading
// the last tenth out and silencing all channels, under a lower-case file
// name. Throws FileError; on failure no file is created or changed.
CutResult cutFormatZero(const CutRequest& request);

}  // namespace quorvane
