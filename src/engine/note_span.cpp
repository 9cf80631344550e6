#include "note_span.hpp"

#include <algorithm>
#include <array>
#include <limits>

#include "byte_reader.hpp"
#include "messages.hpp"
#include "smf.hpp"
#include "song_source.hpp"
#include "track_walker.hpp"

namespace quorvane {

std::optional<NoteSpan> noteSpan(const SongSource& song, std::uint64_t from, std::uint64_t to) {
    constexpr std::uint64_t kSilent = std::numeric_limits<std::uint64_t>::max();
    std::uint64_t first = kSilent;
    std::uint64_t last = 0;
    // A note heard from `on` to `off` counts where it overlaps [from, to).
    const auto heard = [&](std::uint64_t on, std::uint64_t off) {
        if (off <= from || on >= to) return;
        first = std::min(first, std::max(on, from));
        last = std::max(last, std::min(off, to));
    };
    ByteReader in = song.reader();
    const SmfHeader header = readHeader(in);
    for (std::uint32_t track = 0; track < header.trackCount; ++track) {
        TrackWalker walker(in);
        std::array<std::uint64_t, std::size_t{16} * 128>
            started;  // where each channel's key was struck; kSilent: not sounding
        started.fill(kSilent);
        EventHead head;
        while (walker.next(head) && walker.ticks() < to) {
            if (head.kind != EventKind::Channel) {
                walker.skipPayload(head);
                if (isEndOfTrack(head)) break;
                continue;
            }
            const std::uint8_t kind = head.status & 0xF0;
            if (kind != kNoteOn && kind != kNoteOff) continue;
            std::uint64_t& on = started[std::size_t{head.channel()} * 128 + head.data[0]];
            if (kind == kNoteOn && head.data[1] > 0) {
                if (on == kSilent) on = walker.ticks();
            } else if (on != kSilent) {
                heard(on, walker.ticks());
                on = kSilent;
            }
        }
        for (const std::uint64_t on : started) {
            if (on != kSilent) heard(on, std::max(walker.ticks(), on + 1));  // sounding till the track ends
        }
        walker.finish();
    }
    if (first == kSilent) return std::nullopt;
    return NoteSpan{first, last};
}

}  // namespace quorvane
