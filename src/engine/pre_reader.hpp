#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "music_time.hpp"

namespace quorvane {

// Milliseconds per tick for `tempo` microseconds per quarter note and
// `ticksPerQuarter`: tempo / (ticks per quarter note * 1000), a single
// correctly rounded division (both operands are exact doubles).
inline double tickMilliseconds(std::uint32_t tempo, std::uint32_t ticksPerQuarter) {
    return static_cast<double>(tempo) / (static_cast<double>(ticksPerQuarter) * 1000.0);
}

// Milliseconds from the start to `musicTicks` at a constant `tempo`
// (microseconds per quarter note).
inline double musicMilliseconds(double musicTicks, std::uint32_t tempo) {
    return musicTicks / (kMusicTicksPerQuarter * 1000.0) * tempo;
}

// What the pre-read learns of a song.
struct SongHeader {
    std::uint16_t format = 0;    // the header's format, as it is (2 and up cannot be cut)
    std::uint32_t division = 0;  // ticks per quarter note
    std::uint32_t tempo = 0;     // the first Set Tempo, microseconds per quarter note
    double tickMs = 0;           // milliseconds per tick at that tempo
};

// Reads the header and the first Set Tempo event of the file at `path`
// (UTF-8), scanning the tracks in file order. A file without a Set Tempo
// event gets the standard default of 500000 microseconds per quarter note.
// Throws FileError when the file cannot be opened or read.
SongHeader preRead(const std::string& path);
// The same from a song already opened. Once `*stop` is set, a song read from
// its file stops within a buffer (ReadStopped): a song without a Set Tempo
// event is read to its end.
class SongSource;
SongHeader preRead(const SongSource& song, const std::atomic<bool>* stop = nullptr);

}  // namespace quorvane
