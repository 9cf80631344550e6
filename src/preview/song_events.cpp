#include "song_events.hpp"

#include <algorithm>

#include "engine/byte_reader.hpp"
#include "engine/messages.hpp"
#include "engine/smf.hpp"
#include "engine/timeline.hpp"
#include "engine/track_walker.hpp"
#include "platform/files.hpp"

namespace quorvane::preview {

namespace {

struct TickedEvent {
    std::uint64_t ticks = 0;
    TimedEvent event;
};

// Reads one track's events with their absolute ticks; returns where it ends.
std::uint64_t readTrack(ByteReader& in, std::vector<TickedEvent>& out) {
    TrackWalker track(in);
    EventHead head;
    while (track.next(head)) {
        if (head.kind == EventKind::Channel) {
            TickedEvent e{track.ticks(), {}};
            e.event.status = head.status;
            e.event.data[0] = head.data[0];
            e.event.data[1] = head.data[1];
            out.push_back(std::move(e));
        } else if (head.kind == EventKind::Meta) {
            track.skipPayload(head);
            if (isEndOfTrack(head)) break;
        } else if (head.kind == EventKind::SysEx) {
            TickedEvent e{track.ticks(), {}};
            e.event.status = 0xF0;
            in.copy(head.length.value, [&](std::span<const std::uint8_t> bytes) {
                e.event.sysex.insert(e.event.sysex.end(), bytes.begin(), bytes.end());
            });
            if (!e.event.sysex.empty() && e.event.sysex.back() == 0xF7) e.event.sysex.pop_back();
            // F7 escapes carry raw bytes, not a message a synthesizer takes.
            if (head.status == 0xF0 && !e.event.sysex.empty()) out.push_back(std::move(e));
        }
    }
    track.finish();
    return track.ticks();
}

}  // namespace

SongEvents readSongEvents(const std::string& path) {
    ByteReader in = ByteReader::open(pathFromUtf8(path), path);
    const SmfHeader header = readHeader(in);
    std::vector<TickedEvent> ticked;
    for (std::uint32_t k = 0; k < header.trackCount; ++k) readTrack(in, ticked);
    in.close();
    // Stable: at one tick the tracks' order stands.
    std::stable_sort(ticked.begin(), ticked.end(),
                     [](const TickedEvent& a, const TickedEvent& b) { return a.ticks < b.ticks; });
    const Timeline timeline = Timeline::read(path);
    Timeline::Cursor clock = timeline.cursor();
    SongEvents song;
    song.events.reserve(ticked.size());
    for (TickedEvent& e : ticked) {
        e.event.seconds = clock.seconds(e.ticks);
        song.events.push_back(std::move(e.event));
    }
    song.lastEventSeconds = timeline.length();
    return song;
}

SongEvents songEnding(const SongEvents& song, double end, double seconds) {
    const double start = std::max(0.0, end - seconds);
    SongEvents clip;
    for (const TimedEvent& e : song.events) {
        if (e.seconds > end) break;
        const bool note = isNoteMessage(e.status);
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
