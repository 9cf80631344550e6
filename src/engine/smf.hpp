#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <optional>

#include "byte_reader.hpp"
#include "messages.hpp"
#include "vlq.hpp"

namespace quorvane {

// The header chunk of a Standard MIDI File.
struct SmfHeader {
    std::uint16_t format = 0;
    std::uint16_t trackCount = 0;
    std::uint8_t divisionHi = 0;
    std::uint8_t divisionLo = 0;

    // Ticks per quarter note.
    std::uint32_t division() const { return (divisionHi << 8) | divisionLo; }
};

// Reads "MThd", its length and the six fields. Extra header bytes are
// skipped. A wrong tag, a length below 6, a division of 0 or in SMPTE form
// make the file unreadable.
SmfHeader readHeader(ByteReader& in);

// The position of the track chunk being read.
struct TrackChunk {
    std::uint32_t length = 0;     // declared length of the chunk's data
    std::uint64_t dataStart = 0;  // file offset of its first data byte

    std::uint64_t consumed(const ByteReader& in) const { return in.offset() - dataStart; }
    // Skips what the declared length still holds past the current position,
    // and lets the reader go on past the chunk.
    void skipRest(ByteReader& in) const;
};

// Moves to the next "MTrk" chunk, skipping chunks of any other type by their
// length, and reads its length. The file ending first makes it unreadable.
// The reader then ends at the chunk's end (ByteReader::atLimit): a track
// without End of Track ends there, as if it had one, and never runs on into
// the next chunk. skipRest() lifts the limit.
TrackChunk nextTrack(ByteReader& in);

// What kind of event a status byte starts.
enum class EventKind : std::uint8_t {
    Channel,  // 0x80-0xEF, or a data byte under running status
    SysEx,    // 0xF0, or the escape 0xF7: a length, then data
    Meta,     // 0xFF: type, length, then data
    System,   // 0xF1-0xF6, 0xF8-0xFE: not a file event; read and dropped
};

// One event after its delta-time, up to (not including) any SysEx or meta
// payload, which the caller copies or skips (`length.value` bytes).
struct EventHead {
    EventKind kind = EventKind::Channel;
    std::uint8_t status = 0;     // effective status (running status resolved)
    bool runningStatus = false;  // the status byte was omitted in the file
    std::uint8_t data[2] = {0, 0};
    std::uint8_t dataCount = 0;  // data bytes of a channel or system message
    std::uint8_t metaType = 0;
    Vlq length;                // SysEx / meta payload length
    std::uint64_t offset = 0;  // where the event's first byte lies

    std::uint8_t channel() const { return status & 0x0F; }
};

inline bool isMeta(const EventHead& head, std::uint8_t type) {
    return head.kind == EventKind::Meta && head.metaType == type;
}
inline bool isEndOfTrack(const EventHead& head) { return isMeta(head, kMetaEndOfTrack); }
inline bool isSetTempo(const EventHead& head) { return isMeta(head, kMetaSetTempo); }
inline bool isChannelVolume(const EventHead& head) {
    return head.kind == EventKind::Channel && isControlChange(head.status) && head.data[0] == kChannelVolume;
}

// Reads the event heads of one track, keeping its running status. Meta and
// SysEx events leave the running status as it was.
class EventReader {
public:
    explicit EventReader(ByteReader& in) : in_(in) {}

    // Reads a whole event head.
    EventHead next() {
        EventHead head = begin();
        finish(head);
        return head;
    }
    // Reads only the first byte: kind, status and channel are known after
    // it, nothing else. finish() reads the rest.
    EventHead begin() {
        EventHead head;
        head.offset = in_.offset();
        const std::uint8_t first = in_.u8();
        if (first < 0x80) {
            head.kind = EventKind::Channel;
            head.runningStatus = true;
            head.data[0] = first;
            // Without a running status the byte has no meaning; finish() says so.
            head.status = running_;
            return head;
        }
        head.status = first;
        if (first < 0xF0)
            head.kind = EventKind::Channel;
        else if (first == 0xF0 || first == 0xF7)
            head.kind = EventKind::SysEx;
        else if (first == 0xFF)
            head.kind = EventKind::Meta;
        else
            head.kind = EventKind::System;
        return head;
    }
    // Channel messages, nearly every event of a song, are read here in line.
    void finish(EventHead& head) {
        if (head.kind != EventKind::Channel) return finishOther(head);
        if (head.runningStatus) {
            if (running_ == 0) failNoStatus(head);
            head.dataCount = channelDataCount(head.status);
            if (head.dataCount == 2) head.data[1] = in_.u8();
        } else {
            running_ = head.status;
            head.dataCount = channelDataCount(head.status);
            head.data[0] = in_.u8();
            if (head.dataCount == 2) head.data[1] = in_.u8();
        }
        // A data byte is seven bits: one with the top bit set would be
        // copied into a file that other readers refuse.
        if ((head.data[0] | head.data[1]) & 0x80) failDataByte(head);
    }

    // The running status (0: none yet), for loops that read channel
    // messages directly.
    std::uint8_t runningStatus() const noexcept { return running_; }
    void setRunningStatus(std::uint8_t status) noexcept { running_ = status; }

private:
    void finishOther(EventHead& head);
    [[noreturn]] void failNoStatus(const EventHead& head) const;
    [[noreturn]] void failDataByte(const EventHead& head) const;

    ByteReader& in_;
    std::uint8_t running_ = 0;  // 0: no running status yet
};

// The most bytes a channel message takes with its delta-time: four bytes of
// delta-time, the status byte and two data bytes.
inline constexpr std::size_t kLongestChannelMessage = 7;

// Skips the channel messages at the reader's position exactly as next()
// would read them one by one, in a tight loop over the reader's buffer,
// adding their delta-times to `ticks` and keeping the running status. Stops
// before the first event that needs next(): any other kind of event, one not
// wholly buffered (the end of the buffer or of the chunk), or one next()
// would refuse (a delta-time longer than four bytes, a data byte without a
// running status), so that every refusal stays the event loop's.
namespace detail {
// The top bits of a channel message's `count` data bytes at `data` (two
// bytes are read either way), as 0x80 or 0x8000: 0 when all are clear.
inline unsigned dataTopBits(const std::uint8_t* data, std::size_t count) {
    std::uint16_t both;
    std::memcpy(&both, data, 2);  // one load for both bytes
    constexpr unsigned kFirst = std::endian::native == std::endian::little ? 0x0080 : 0x8000;
    return both & (kFirst | (0x8080u & (0u - static_cast<unsigned>(count >> 1))));
}

// The loop of skipChannelMessages. A data byte with its top bit set is
// rare and the event loop's to refuse: with `kStopAtBadData` the loop stops
// before its message; without, it only notes one anywhere, and then returns
// false having moved nothing, for the careful loop to run instead.
template <bool kStopAtBadData>
inline bool skipChannelMessages(ByteReader& in, EventReader& events, std::uint64_t& ticks) {
    const std::span<const std::uint8_t> buffered = in.buffered();
    if (buffered.size() <= kLongestChannelMessage) return true;
    const std::uint8_t* const start = buffered.data();
    // From every place before `stop`, a whole channel message is buffered.
    const std::uint8_t* const stop = start + (buffered.size() - kLongestChannelMessage);
    const std::uint8_t* at = start;
    std::uint8_t running = events.runningStatus();
    // The bytes of a message under the running status.
    std::size_t runningLength = channelDataCount(running);
    std::uint64_t time = ticks;
    unsigned dataBits = 0;  // the data bytes ORed together
    while (at < stop) {
        std::uint32_t delta = at[0];
        std::size_t size = 1;
        if (delta >= 0x80 && (size = decodeVlq(at, delta)) == 0) break;
        // Status byte or running status, chosen without a branch: songs mix
        // both at random, which no branch predictor guesses.
        const std::uint8_t first = at[size];
        const bool withStatus = first >= 0x80;
        // A data byte without a running status (0 or a status byte) ends it too.
        if (first >= 0xF0 || (first | running) < 0x80) break;
        // All ones with a status byte: masks, as compilers turn a ?: here
        // into a branch.
        const std::size_t keep = std::size_t{0} - withStatus;
        const auto status = static_cast<std::uint8_t>((first & keep) | (running & ~keep));
        const std::size_t length = (channelDataCount(first) & keep) | (runningLength & ~keep);
        const unsigned bits = dataTopBits(at + size + withStatus, length);
        if constexpr (kStopAtBadData) {
            if (bits != 0) break;
        }
        dataBits |= bits;
        running = status;
        runningLength = length;
        time += delta;
        at += size + withStatus + runningLength;
    }
    if (dataBits != 0) return false;
    in.advance(static_cast<std::size_t>(at - start));
    events.setRunningStatus(running);
    ticks = time;
    return true;
}
}  // namespace detail

inline void skipChannelMessages(ByteReader& in, EventReader& events, std::uint64_t& ticks) {
    if (!detail::skipChannelMessages<false>(in, events, ticks)) detail::skipChannelMessages<true>(in, events, ticks);
}

// Microseconds per quarter note from a Set Tempo payload; checks its length
// and value and leaves the reader after the whole payload, every byte of
// which goes to `sink(std::span<const std::uint8_t>)` as it is read.
template <typename Sink>
std::uint32_t readTempo(ByteReader& in, const EventHead& head, Sink&& sink);
std::uint32_t readTempo(ByteReader& in, const EventHead& head);

[[noreturn]] void failTempo(ByteReader& in, const EventHead& head, std::uint32_t tempo);

template <typename Sink>
std::uint32_t readTempo(ByteReader& in, const EventHead& head, Sink&& sink) {
    if (head.length.value < 3) failTempo(in, head, 0);
    std::uint8_t bytes[3];
    for (auto& byte : bytes) byte = in.u8();
    sink(std::span<const std::uint8_t>(bytes, 3));
    in.copy(head.length.value - 3, sink);
    const std::uint32_t tempo = (std::uint32_t{bytes[0]} << 16) | (bytes[1] << 8) | bytes[2];
    if (tempo == 0) failTempo(in, head, tempo);
    return tempo;
}

}  // namespace quorvane
