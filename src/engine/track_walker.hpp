#pragma once

#include <cstdint>

#include "byte_reader.hpp"
#include "smf.hpp"
#include "vlq.hpp"

namespace quorvane {

// One track chunk, walked event by event: the pre-read, the timeline, both
// cutters and the preview's events go through it. (The Format 1 cutter
// keeps its tick count in a local of its own: held in the walker, it made
// that cutter's event loop about a tenth slower.)
// It finds the chunk and bounds the reader to it, sums the delta-times and
// keeps the running status; the chunk's end stands for an End of Track the
// track lacks. What a loop does with each event stays its own: it reads the
// delta-time and the event as it needs them, or takes the channel messages
// in a fast loop (skipChannelMessages, copyPlainMessages) and then setTicks().
class TrackWalker {
public:
    // Moves to the next track chunk of `in` (see nextTrack).
    explicit TrackWalker(ByteReader& in) : in_(in), chunk_(nextTrack(in)), events_(in) {}
    TrackWalker(const TrackWalker&) = delete;
    TrackWalker& operator=(const TrackWalker&) = delete;

    // True where the chunk ends: no event is left.
    bool atEnd() const noexcept { return in_.atLimit(); }
    // Reads the next delta-time and counts it.
    Vlq delta() {
        const Vlq delta = in_.vlq();
        ticks_ += delta.value;
        return delta;
    }
    // Reads the event after its delta-time, up to its payload.
    EventHead event() { return events_.next(); }
    // The next delta-time and event; false at the chunk's end.
    bool next(EventHead& head) {
        if (atEnd()) return false;
        delta();
        head = event();
        return true;
    }
    // Skips the payload of a SysEx or meta event.
    void skipPayload(const EventHead& head) { in_.skip(head.length.value); }
    // Skips the channel messages here in a tight loop, counting their time.
    void skipChannelMessages() { quorvane::skipChannelMessages(in_, events_, ticks_); }

    // The tick of the last event read.
    std::uint64_t ticks() const noexcept { return ticks_; }
    void setTicks(std::uint64_t ticks) noexcept { ticks_ = ticks; }
    ByteReader& reader() noexcept { return in_; }
    EventReader& events() noexcept { return events_; }

    // Leaves the reader after the chunk, whatever was left unread.
    void finish() { chunk_.skipRest(in_); }

private:
    ByteReader& in_;
    TrackChunk chunk_;
    EventReader events_;
    std::uint64_t ticks_ = 0;
};

}  // namespace quorvane
