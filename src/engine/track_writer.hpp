#pragma once

#include <cstdint>
#include <cstring>
#include <span>
#include <string>

#include "errors.hpp"
#include "platform/output_file.hpp"
#include "smf.hpp"
#include "vlq.hpp"

namespace quorvane {

// Big-endian fields, as every number of a MIDI file's chunk headers is.
template <typename Sink>
void putU16be(Sink& out, std::uint16_t value) {
    out.put({static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)});
}
template <typename Sink>
void putU32be(Sink& out, std::uint32_t value) {
    out.put({static_cast<std::uint8_t>(value >> 24), static_cast<std::uint8_t>(value >> 16),
             static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)});
}

// The header chunk: "MThd", length 6, then the fields of `header` (the
// division bytes as they were read).
template <typename Sink>
void putHeaderChunk(Sink& out, const SmfHeader& header) {
    out.put({'M', 'T', 'h', 'd'});
    putU32be(out, 6);
    putU16be(out, header.format);
    putU16be(out, header.trackCount);
    out.put({header.divisionHi, header.divisionLo});
}

// Starts a track chunk whose length is not known yet; returns where its
// data starts, for closeTrackChunk().
inline std::uint64_t openTrackChunk(OutputFile& out) {
    out.put({'M', 'T', 'r', 'k'});
    putU32be(out, 0);
    return out.size();
}

// Puts the length of the track chunk whose data started at `dataStart`.
// `label` and `tooLong` name the file and the reason when the track has
// grown past what a chunk length holds.
inline void closeTrackChunk(OutputFile& out, std::uint64_t dataStart, const std::string& label, const char* tooLong) {
    const std::uint64_t length = out.size() - dataStart;
    if (length > 0xFFFFFFFFu) throw FileError(ErrorKind::CannotWrite, label, tooLong);
    out.patchU32(dataStart - 4, static_cast<std::uint32_t>(length));
}

// Puts the delta-time of a copied event. Normally the bytes as read; when
// dropped system messages left time behind (`carried` ticks), the sum is
// encoded anew so that no later event moves in time.
template <typename Sink>
void putDelta(Sink& out, const Vlq& delta, std::uint64_t& carried, ByteReader& in, std::uint64_t at) {
    if (carried == 0) {
        out.put(delta.bytes());
        return;
    }
    const std::uint64_t total = carried + delta.value;
    if (total > kVlqMax) in.fail("delta-time too large to carry over a dropped system message", at);
    out.put(encodeVlq(static_cast<std::uint32_t>(total)).bytes());
    carried = 0;
}

// Puts a channel message after its delta-time; `withStatus` decides whether
// the status byte is written.
template <typename Sink>
void putChannelMessage(Sink& out, const EventHead& head, bool withStatus) {
    if (withStatus) out.put(head.status);
    out.put(std::span<const std::uint8_t>(head.data, head.dataCount));
}

// Puts a SysEx or meta event after its delta-time, payload copied from `in`.
template <typename Sink>
void putLongEvent(Sink& out, const EventHead& head, ByteReader& in) {
    out.put(head.status);
    if (head.kind == EventKind::Meta) out.put(head.metaType);
    out.put(head.length.bytes());
    in.copy(head.length.value, out);
}

// A channel message as the scanner below finds it in the read buffer.
struct PlainMessage {
    const std::uint8_t* from;  // its delta-time
    std::size_t deltaSize;
    std::uint32_t ticks;  // the delta-time's value
    bool withStatusByte;  // false: running status
    std::uint8_t status;
    const std::uint8_t* data;
    std::size_t dataCount;
};

// Channel messages, the bulk of a song, go straight from the read buffer to
// the write buffer, exactly as the cutters' event loops would copy them.
// `copier` decides and writes:
//   clock: the time of the last message copied, of any type;
//   bool accepts(clock, std::uint32_t ticks): the message `ticks` after the
//       last one is still copied here;
//   clock advance(clock, std::uint32_t ticks): the time of that message;
//   std::uint8_t* put(std::uint8_t* to, const PlainMessage&): writes the
//       message (at most 7 bytes) and returns the end of what it wrote.
// Stops before the first event that needs the event loop: another kind of
// event, one the copier does not accept, one not wholly buffered, or one the
// loop must refuse. Keeps the reader's running status.
//
// Not inlined into the cutters' event loops: around their calls the compiler
// keeps a floating-point clock in memory, a round trip that every message
// would wait for.
namespace detail {
// The loop of copyPlainMessages. A data byte with its top bit set is rare
// and the event loop's to refuse: with `kStopAtBadData` the loop stops before
// its message; without, it only notes one anywhere, and then returns false
// having moved, written and changed nothing, for the careful loop to run
// instead.
template <bool kStopAtBadData, typename Copier>
bool copyPlainMessages(ByteReader& in, EventReader& events, OutputFile& out, std::size_t room, Copier& copier) {
    constexpr std::size_t kLongest = 7;  // 4 delta-time bytes, status, 2 data bytes
    const std::span<const std::uint8_t> source = in.buffered();
    if (source.size() <= kLongest) return true;
    const std::span<std::uint8_t> target = out.room(room);
    const std::uint8_t* from = source.data();
    const std::uint8_t* const fromEnd = from + (source.size() - kLongest);
    std::uint8_t* to = target.data();
    std::uint8_t* const toEnd = to + (target.size() - kLongest);
    std::uint8_t running = events.runningStatus();
    // Private copies, which the bytes written cannot alias: the clock, on
    // which every message waits for the one before, stays in a register
    // instead of going to memory and back with every message.
    Copier local = copier;
    auto clock = copier.clock;
    unsigned dataBits = 0;  // the data bytes ORed together
    while (from < fromEnd && to < toEnd) {
        std::uint32_t ticks = 0;
        const std::size_t deltaSize = decodeVlq(from, ticks);
        if (deltaSize == 0 || !local.accepts(clock, ticks)) break;
        const std::uint8_t first = from[deltaSize];
        // Without branches on the status byte, as in skipChannelMessages.
        if (first >= 0xF0 || (first | running) < 0x80) break;
        const bool withStatusByte = first >= 0x80;
        const auto keep = static_cast<std::uint8_t>(0 - withStatusByte);
        const auto status = static_cast<std::uint8_t>((first & keep) | (running & ~keep));
        const std::uint8_t* data = from + deltaSize + withStatusByte;
        const std::size_t dataCount = channelDataCount(status);
        const unsigned bits = dataTopBits(data, dataCount);
        if constexpr (kStopAtBadData) {
            if (bits != 0) break;
        }
        dataBits |= bits;
        to = local.put(to, PlainMessage{from, deltaSize, ticks, withStatusByte, status, data, dataCount});
        clock = local.advance(clock, ticks);
        running = status;
        from = data + dataCount;
    }
    if (dataBits != 0) return false;
    copier = local;
    copier.clock = clock;
    in.advance(static_cast<std::size_t>(from - source.data()));
    out.wrote(static_cast<std::size_t>(to - target.data()));
    events.setRunningStatus(running);
    return true;
}
}  // namespace detail

template <typename Copier>
[[gnu::noinline]] void copyPlainMessages(ByteReader& in, EventReader& events, OutputFile& out, std::size_t room,
                                         Copier& copier) {
    if (!detail::copyPlainMessages<false>(in, events, out, room, copier)) {
        detail::copyPlainMessages<true>(in, events, out, room, copier);
    }
}

}  // namespace quorvane
