// Loading a file as a segment: every track read with the engine's checked
// reader, to find the song's end and its tempo changes.

#include <algorithm>
#include <limits>

#include "engine/byte_reader.hpp"
#include "engine/platform_files.hpp"
#include "engine/smf.hpp"
#include "music_engine.hpp"

namespace quorvane::music {

namespace {

// Tempo events kept in memory: a song's first ones, as many as any real song
// has; a song of more (a file of nothing but tempo changes) keeps memory
// bounded and has the rest read again when asked for.
constexpr std::size_t kKeptTempos = 4096;

// A Set Tempo event and its place in the file, which orders events on one tick.
struct TempoEvent {
    std::uint64_t tick = 0;
    std::uint64_t order = 0;
    std::uint32_t micros = 0;
    bool operator<(const TempoEvent& other) const {
        return tick != other.tick ? tick < other.tick : order < other.order;
    }
};

// Reads every track to its End of Track (or to the end of its chunk when it
// has none), giving each Set Tempo event to `onTempo`; returns the latest
// track end.
template <typename OnTempo>
std::uint64_t readTracks(ByteReader& in, const SmfHeader& header, OnTempo&& onTempo) {
    std::uint64_t endTick = 0, order = 0;
    for (std::uint32_t k = 0; k < header.trackCount; ++k) {
        const TrackChunk chunk = nextTrack(in);
        EventReader events(in);
        std::uint64_t time = 0, trackEnd = 0;
        while (!in.atLimit()) {
            time += in.vlq().value;
            trackEnd = time;
            const EventHead head = events.next();
            if (head.kind == EventKind::Meta && head.metaType == kMetaSetTempo) {
                onTempo(TempoEvent{time, order++, readTempo(in, head)});
                continue;
            }
            if (head.kind == EventKind::Meta || head.kind == EventKind::SysEx) in.skip(head.length.value);
            if (head.kind == EventKind::Meta && head.metaType == kMetaEndOfTrack) break;
        }
        chunk.skipRest(in);
        endTick = std::max(endTick, trackEnd);
    }
    return endTick;
}

}  // namespace

std::optional<std::uint32_t> tempoInFile(const std::string& path, std::uint64_t reach) {
    ByteReader in = ByteReader::open(pathFromUtf8(path), path);
    const SmfHeader header = readHeader(in);
    std::optional<TempoEvent> last;
    readTracks(in, header, [&](const TempoEvent& event) {
        if (event.tick > (std::uint64_t{1} << 54) || event.tick * kTicksPerQuarter > reach) return;
        if (!last || *last < event) last = event;
    });
    if (!last) return std::nullopt;
    return last->micros;
}

std::shared_ptr<Segment> Loader::LoadSegment(const std::string& path) {
    ByteReader in = ByteReader::open(pathFromUtf8(path), path);
    const SmfHeader header = readHeader(in);
    // The earliest tempo events, in a max-heap: a later one gives way to an
    // earlier one, and the horizon is the earliest tick given up.
    std::vector<TempoEvent> kept;
    std::uint64_t horizon = Segment::kNoHorizon;
    const std::uint64_t endTick = readTracks(in, header, [&](const TempoEvent& event) {
        if (kept.size() < kKeptTempos) {
            kept.push_back(event);
            std::push_heap(kept.begin(), kept.end());
            return;
        }
        if (!(event < kept.front())) {
            horizon = std::min(horizon, event.tick);
            return;
        }
        horizon = std::min(horizon, kept.front().tick);
        std::pop_heap(kept.begin(), kept.end());
        kept.back() = event;
        std::push_heap(kept.begin(), kept.end());
    });
    std::sort(kept.begin(), kept.end());
    std::vector<TempoPoint> tempos;
    for (const TempoEvent& event : kept) {
        // A repeat of the tempo in effect changes nothing.
        if (tempos.empty() || tempos.back().microsPerQuarter != event.micros) tempos.push_back({event.tick, event.micros});
    }

    // Music time at 768 ticks per quarter note, rounded to the nearest tick, halves up.
    const std::uint64_t division = header.division();
    if (endTick > std::numeric_limits<std::uint64_t>::max() / (2 * kTicksPerQuarter)) {
        throw EngineError("load segment", path, "the song is too long");
    }
    const std::uint64_t length = (endTick * 2 * kTicksPerQuarter + division) / (2 * division);
    if (length > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
        throw EngineError("load segment", path, "the song is too long for 32-bit music time");
    }
    return std::make_shared<Segment>(path, static_cast<std::int32_t>(length), header.division(), std::move(tempos),
                                     horizon);
}

}  // namespace quorvane::music
