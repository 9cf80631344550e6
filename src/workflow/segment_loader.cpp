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

struct TrackSummary {
    std::uint64_t endTick = 0;
};

// Reads one track to its End of Track (or to the end of its chunk when it
// has none), noting its Set Tempo events.
TrackSummary readTrack(ByteReader& in, std::vector<TempoPoint>& tempos) {
    const TrackChunk chunk = nextTrack(in);
    EventReader events(in);
    TrackSummary summary;
    std::uint64_t time = 0;
    while (!in.atLimit()) {
        time += in.vlq().value;
        summary.endTick = time;
        const EventHead head = events.next();
        if (head.kind == EventKind::Meta && head.metaType == kMetaSetTempo) {
            tempos.push_back({time, readTempo(in, head)});
            continue;
        }
        if (head.kind == EventKind::Meta || head.kind == EventKind::SysEx) in.skip(head.length.value);
        if (head.kind == EventKind::Meta && head.metaType == kMetaEndOfTrack) break;
    }
    chunk.skipRest(in);
    return summary;
}

}  // namespace

std::shared_ptr<Segment> Loader::LoadSegment(const std::string& path) {
    ByteReader in = ByteReader::open(pathFromUtf8(path), path);
    const SmfHeader header = readHeader(in);
    std::vector<TempoPoint> tempos;
    std::uint64_t endTick = 0;
    for (std::uint32_t k = 0; k < header.trackCount; ++k) endTick = std::max(endTick, readTrack(in, tempos).endTick);
    std::stable_sort(tempos.begin(), tempos.end(),
                     [](const TempoPoint& a, const TempoPoint& b) { return a.tick < b.tick; });

    // Music time at 768 ticks per quarter note, rounded to the nearest tick, halves up.
    const std::uint64_t division = header.division();
    if (endTick > std::numeric_limits<std::uint64_t>::max() / (2 * kTicksPerQuarter)) {
        throw EngineError("load segment", path, "the song is too long");
    }
    const std::uint64_t length = (endTick * 2 * kTicksPerQuarter + division) / (2 * division);
    if (length > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
        throw EngineError("load segment", path, "the song is too long for 32-bit music time");
    }
    return std::make_shared<Segment>(path, static_cast<std::int32_t>(length), header.division(), std::move(tempos));
}

}  // namespace quorvane::music
