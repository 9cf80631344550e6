#pragma once

// A song's timing in music time (768 ticks per quarter note): its length and
// the tempo in effect at any music time. Nothing is played; the whole file is
// read once by the engine's checked reader.

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace quorvane {

class ByteReader;
class SongSource;

class SongTiming {
public:
    // Reads every track of the file. Throws FileError: the file cannot be
    // read, or the song is too long for 32-bit music time.
    static SongTiming measure(const std::string& path);
    // The same from a song already opened. Once `*stop` is set, a song read
    // from its file stops within a buffer (ReadStopped).
    static SongTiming measure(const SongSource& song, const std::atomic<bool>* stop = nullptr);

    // The latest End of Track, in music ticks rounded to the nearest (halves up).
    std::int32_t length() const { return length_; }
    // Quarter notes per minute at `musicTime` from the start: the last Set
    // Tempo event at or before it (ties in file order), 120 before the first.
    double tempoAt(std::int64_t musicTime) const;

private:
    // A Set Tempo event, at its source tick.
    struct TempoPoint {
        std::uint64_t tick = 0;
        std::uint32_t microsPerQuarter = 0;
    };
    static constexpr std::uint64_t kNoHorizon = ~std::uint64_t{0};

    SongTiming() = default;
    static SongTiming measure(ByteReader& in, const std::string& path);

    std::string file_;
    std::int32_t length_ = 0;
    std::uint32_t division_ = 1;
    // The song's first tempo changes in tick order; those at `horizon_` ticks
    // and later may be missing (a song of very many), and are read from the
    // file again when a time that far is asked for.
    std::vector<TempoPoint> tempos_;
    std::uint64_t horizon_ = kNoHorizon;
};

}  // namespace quorvane
