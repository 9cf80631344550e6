#include "song_events.hpp"

#include <algorithm>
#include <map>

#include "engine/byte_reader.hpp"
#include "engine/platform_files.hpp"
#include "engine/smf.hpp"

namespace quorvane::preview {

namespace {

struct TickedEvent {
    std::uint64_t ticks = 0;
    TimedEvent event;
};

// Reads one track's events with their absolute ticks. Set Tempo events go to
// `tempos` (ticks -> microseconds per quarter note); a later track's tempo at
// the same tick wins, as a synthesizer playing the tracks in order would have it.
std::uint64_t readTrack(ByteReader& in, std::vector<TickedEvent>& out, std::map<std::uint64_t, std::uint32_t>& tempos) {
    const TrackChunk chunk = nextTrack(in);
    EventReader events(in);
    std::uint64_t ticks = 0;
    while (!in.atLimit()) {  // the chunk's end ends a track without End of Track
        ticks += in.vlq().value;
        const EventHead head = events.next();
        if (head.kind == EventKind::Channel) {
            TickedEvent e{ticks, {}};
            e.event.status = head.status;
            e.event.data[0] = head.data[0];
            e.event.data[1] = head.data[1];
            out.push_back(std::move(e));
        } else if (head.kind == EventKind::Meta) {
            if (head.metaType == kMetaSetTempo) {
                tempos[ticks] = readTempo(in, head);
                continue;
            }
            in.skip(head.length.value);
            if (head.metaType == kMetaEndOfTrack) break;
        } else if (head.kind == EventKind::SysEx) {
            TickedEvent e{ticks, {}};
            e.event.status = 0xF0;
            in.copy(head.length.value, [&](std::span<const std::uint8_t> bytes) {
                e.event.sysex.insert(e.event.sysex.end(), bytes.begin(), bytes.end());
            });
            if (!e.event.sysex.empty() && e.event.sysex.back() == 0xF7) e.event.sysex.pop_back();
            // F7 escapes carry raw bytes, not a message a synthesizer takes.
            if (head.status == 0xF0 && !e.event.sysex.empty()) out.push_back(std::move(e));
        }
    }
    chunk.skipRest(in);
    return ticks;
}

// Seconds from the song's start for a tick count, from the tempo map.
class TempoMap {
public:
    TempoMap(const std::map<std::uint64_t, std::uint32_t>& tempos, std::uint32_t division) : division_(division) {
        double seconds = 0;
        std::uint64_t at = 0;
        std::uint32_t tempo = kDefaultTempo;
        for (const auto& [ticks, next] : tempos) {
            seconds += secondsFor(ticks - at, tempo);
            steps_.push_back({ticks, seconds, next});
            at = ticks;
            tempo = next;
        }
    }

    double seconds(std::uint64_t ticks) const {
        auto after = std::upper_bound(steps_.begin(), steps_.end(), ticks,
                                      [](std::uint64_t t, const Step& s) { return t < s.ticks; });
        if (after == steps_.begin()) return secondsFor(ticks, kDefaultTempo);
        const Step& step = *std::prev(after);
        return step.seconds + secondsFor(ticks - step.ticks, step.tempo);
    }

private:
    struct Step {
        std::uint64_t ticks;
        double seconds;
        std::uint32_t tempo;
    };
    double secondsFor(std::uint64_t ticks, std::uint32_t tempo) const {
        return static_cast<double>(ticks) * tempo / (1e6 * division_);
    }

    std::uint32_t division_;
    std::vector<Step> steps_;
};

}  // namespace

SongEvents readSongEvents(const std::string& path) {
    ByteReader in = ByteReader::open(pathFromUtf8(path), path);
    const SmfHeader header = readHeader(in);
    std::vector<TickedEvent> ticked;
    std::map<std::uint64_t, std::uint32_t> tempos;
    std::uint64_t lastTicks = 0;
    for (std::uint32_t k = 0; k < header.trackCount; ++k) {
        lastTicks = std::max(lastTicks, readTrack(in, ticked, tempos));
    }
    // Stable: at one tick the tracks' order stands.
    std::stable_sort(ticked.begin(), ticked.end(),
                     [](const TickedEvent& a, const TickedEvent& b) { return a.ticks < b.ticks; });
    const TempoMap map(tempos, header.division());
    SongEvents song;
    song.events.reserve(ticked.size());
    for (TickedEvent& e : ticked) {
        e.event.seconds = map.seconds(e.ticks);
        song.events.push_back(std::move(e.event));
    }
    song.lastEventSeconds = map.seconds(lastTicks);
    return song;
}

SongEvents songEnding(const SongEvents& song, double end, double seconds) {
    const double start = std::max(0.0, end - seconds);
    SongEvents clip;
    for (const TimedEvent& e : song.events) {
        if (e.seconds > end) break;
        const std::uint8_t kind = e.status & 0xF0;
        const bool note = kind == 0x80 || kind == 0x90 || kind == 0xA0;
        if (e.seconds >= start) {
            clip.events.push_back(e);
            clip.events.back().seconds -= start;
        } else if (!note) {
            clip.events.push_back(e);
            clip.events.back().seconds = 0;
        }
    }
    clip.lastEventSeconds = std::min(song.lastEventSeconds, end) - start;
    return clip;
}

}  // namespace quorvane::preview
