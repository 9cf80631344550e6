#include "song_timing.hpp"

#include <algorithm>
#include <limits>
#include <optional>

#include "engine/byte_reader.hpp"
#include "engine/errors.hpp"
#include "engine/music_time.hpp"
#include "engine/platform_files.hpp"
#include "engine/smf.hpp"
#include "engine/song_source.hpp"

namespace quorvane {

namespace {

constexpr double kDefaultBpm = 120.0;

// Tempo events kept in memory: a song's first ones, as many as any real song
// has; a song of more (a file of nothing but tempo changes) keeps memory
// bounded and has the rest read again when asked for.
constexpr std::size_t kKeptTempos = 4096;

// Ticks beyond this lie past any 32-bit music time, whatever the division;
// below it, tick * 768 cannot overflow.
constexpr std::uint64_t kFarTick = std::uint64_t{1} << 54;

// A Set Tempo event and its place in the file, which orders events on one tick.
struct TempoEvent {
    std::uint64_t tick = 0;
    std::uint64_t order = 0;
    std::uint32_t micros = 0;
    bool operator<(const TempoEvent& other) const {
        return tick != other.tick ? tick < other.tick : order < other.order;
    }
};

// Whether source tick `tick` lies after `reach` (music time times division).
bool pastReach(std::uint64_t tick, std::uint64_t reach) {
    return tick > kFarTick || tick * kMusicTicksPerQuarter > reach;
}

// Reads every track to its End of Track (or to the end of its chunk when it
// has none), giving each Set Tempo event to `onTempo`; returns the latest
// track end.
template <typename OnTempo>
std::uint64_t readTracks(ByteReader& in, const SmfHeader& header, OnTempo&& onTempo) {
    std::uint64_t endTick = 0, order = 0;
    for (std::uint32_t k = 0; k < header.trackCount; ++k) {
        const TrackChunk chunk = nextTrack(in);
        EventReader events(in);
        std::uint64_t time = 0;  // after each event: the track's end so far
        for (;;) {
            skipChannelMessages(in, events, time);  // nearly every event, in a tight loop
            if (in.atLimit()) break;
            time += in.vlq().value;
            const EventHead head = events.next();
            if (head.kind == EventKind::Meta && head.metaType == kMetaSetTempo) {
                onTempo(TempoEvent{time, order++, readTempo(in, head)});
                continue;
            }
            if (head.kind == EventKind::Meta || head.kind == EventKind::SysEx) in.skip(head.length.value);
            if (head.kind == EventKind::Meta && head.metaType == kMetaEndOfTrack) break;
        }
        chunk.skipRest(in);
        endTick = std::max(endTick, time);
    }
    return endTick;
}

// The Set Tempo event in effect at `reach`: the whole file read again, in
// constant memory.
std::optional<std::uint32_t> tempoInFile(const std::string& path, std::uint64_t reach) {
    ByteReader in = ByteReader::open(pathFromUtf8(path), path);
    const SmfHeader header = readHeader(in);
    std::optional<TempoEvent> last;
    readTracks(in, header, [&](const TempoEvent& event) {
        if (pastReach(event.tick, reach)) return;
        if (!last || *last < event) last = event;
    });
    if (!last) return std::nullopt;
    return last->micros;
}

}  // namespace

SongTiming SongTiming::measure(const std::string& path) {
    ByteReader in = ByteReader::open(pathFromUtf8(path), path);
    return measure(in, path);
}

SongTiming SongTiming::measure(const SongSource& song, const std::atomic<bool>* stop) {
    ByteReader in = song.reader();
    in.stopWhen(stop);
    return measure(in, song.path());
}

SongTiming SongTiming::measure(ByteReader& in, const std::string& path) {
    const SmfHeader header = readHeader(in);
    // The earliest tempo events, in a max-heap: a later one gives way to an
    // earlier one, and the horizon is the earliest tick given up.
    std::vector<TempoEvent> kept;
    SongTiming timing;
    const std::uint64_t endTick = readTracks(in, header, [&](const TempoEvent& event) {
        if (kept.size() < kKeptTempos) {
            kept.push_back(event);
            std::push_heap(kept.begin(), kept.end());
            return;
        }
        if (!(event < kept.front())) {
            timing.horizon_ = std::min(timing.horizon_, event.tick);
            return;
        }
        timing.horizon_ = std::min(timing.horizon_, kept.front().tick);
        std::pop_heap(kept.begin(), kept.end());
        kept.back() = event;
        std::push_heap(kept.begin(), kept.end());
    });
    std::sort(kept.begin(), kept.end());
    for (const TempoEvent& event : kept) {
        // A repeat of the tempo in effect changes nothing.
        if (timing.tempos_.empty() || timing.tempos_.back().microsPerQuarter != event.micros) {
            timing.tempos_.push_back({event.tick, event.micros});
        }
    }

    // Music time rounded to the nearest tick, halves up.
    const std::uint64_t division = header.division();
    constexpr std::uint64_t kTwice = 2 * kMusicTicksPerQuarter;
    if (endTick > std::numeric_limits<std::uint64_t>::max() / kTwice) {
        throw FileError(ErrorKind::UnreadableMidi, path, "the song is too long");
    }
    const std::uint64_t length = (endTick * kTwice + division) / (2 * division);
    if (length > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
        throw FileError(ErrorKind::UnreadableMidi, path, "the song is too long for 32-bit music time");
    }
    timing.file_ = path;
    timing.length_ = static_cast<std::int32_t>(length);
    timing.division_ = header.division();
    return timing;
}

double SongTiming::tempoAt(std::int64_t musicTime) const {
    double bpm = kDefaultBpm;
    if (musicTime < 0) return bpm;
    // A tempo event at source tick k lies at music time k * 768 / division;
    // compared as k * 768 against music time * division, both exact (music
    // time is 32-bit, the division 15-bit).
    const std::uint64_t reach = static_cast<std::uint64_t>(musicTime) * division_;
    if (horizon_ <= kFarTick && horizon_ * kMusicTicksPerQuarter <= reach) {
        // Past the tempos kept in memory: the file tells.
        const std::optional<std::uint32_t> tempo = tempoInFile(file_, reach);
        return tempo ? 60000000.0 / *tempo : bpm;
    }
    for (const TempoPoint& point : tempos_) {
        if (pastReach(point.tick, reach)) break;
        bpm = 60000000.0 / point.microsPerQuarter;
    }
    return bpm;
}

}  // namespace quorvane
