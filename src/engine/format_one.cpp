#include <algorithm>
#include <cmath>
#include <cstring>

#include "byte_reader.hpp"
#include "cut_name.hpp"
#include "cutters.hpp"
#include "output_file.hpp"
#include "platform_files.hpp"
#include "smf.hpp"
#include "track_writer.hpp"

namespace quorvane {

namespace {

// Channel messages before the cut, the bulk of a track, go straight from the
// read buffer to the track, exactly as cutTrack() would copy them. Stops
// before the first event that needs cutTrack(): another kind of event, one
// at or past the cut, one not wholly buffered, or one it must refuse.
void copyPlainMessages(ByteReader& in, EventReader& events, double cut, std::uint64_t& time, OutputFile& out,
                       std::uint8_t& lastChannel) {
    constexpr std::size_t kLongest = 7;  // 4 delta-time bytes, status, 2 data bytes
    const std::span<const std::uint8_t> source = in.buffered();
    if (source.size() <= kLongest) return;
    const std::span<std::uint8_t> target = out.room(4096);
    const std::uint8_t* from = source.data();
    const std::uint8_t* const fromEnd = from + (source.size() - kLongest);
    std::uint8_t* to = target.data();
    std::uint8_t* const toEnd = to + (target.size() - kLongest);
    std::uint64_t now = time;
    std::uint8_t running = events.runningStatus();
    while (from < fromEnd && to < toEnd) {
        std::uint32_t ticks = 0;
        const std::size_t deltaSize = decodeVlq(from, ticks);
        if (deltaSize == 0) break;
        const std::uint64_t next = now + ticks;
        if (static_cast<double>(next) >= cut) break;
        const std::uint8_t first = from[deltaSize];
        const bool withStatusByte = first >= 0x80;
        if (first >= 0xF0 || (!withStatusByte && running == 0)) break;
        const std::uint8_t status = withStatusByte ? first : running;
        const std::size_t length = deltaSize + (withStatusByte ? 1 : 0) + channelDataCount(status);
        std::memcpy(to, from, kLongest);  // only `length` of them count
        to += length;
        from += length;
        running = status;
        now = next;
    }
    in.advance(static_cast<std::size_t>(from - source.data()));
    out.wrote(static_cast<std::size_t>(to - target.data()));
    events.setRunningStatus(running);
    if (to != target.data()) lastChannel = running & 0x0F;
    time = now;
}

// The first bar line (four quarter notes) strictly after the cut position,
// measured at the first tempo of the file.
double cutTick(const AppState& state, std::uint32_t division) {
    const double cutMs = state.CutTime / 768000.0 * state.Tempo;
    const double cutTicks = std::floor(cutMs / state.TickMs);
    const double bar = 4.0 * division;
    return (std::floor(cutTicks / bar) + 1.0) * bar;
}

void requireTempo(const AppState& state) {
    if (state.Tempo == 0 || !(state.TickMs > 0)) {
        throw FileError(ErrorKind::NotPrepared, state.FilePath, "the file has not been pre-read");
    }
}

// Copies one track up to the cut tick (or its own End of Track) into `out`.
// `lastChannel` is the channel of the last channel status byte read, in this
// track or an earlier one; the closing All Sound Off goes to it.
void cutTrack(ByteReader& in, double cut, OutputFile& out, std::uint8_t& lastChannel) {
    const TrackChunk chunk = nextTrack(in);
    EventReader events(in);
    std::uint64_t time = 0;
    std::uint64_t carried = 0;  // ticks of dropped system messages not yet written
    for (;;) {
        if (carried == 0) copyPlainMessages(in, events, cut, time, out, lastChannel);
        if (in.atLimit()) {  // the chunk ends without End of Track: closed as if it had one
            out.put({0x00, 0xFF, kMetaEndOfTrack, 0x00});
            break;
        }
        const std::uint64_t at = in.offset();
        const Vlq delta = in.vlq();
        time += delta.value;
        if (static_cast<double>(time) >= cut) {
            out.put({0x00, static_cast<std::uint8_t>(0xB0 | lastChannel), 0x78, 0x00, 0x00, 0xFF,
                     kMetaEndOfTrack, 0x00});
            break;
        }
        const EventHead head = events.next();
        if (head.kind == EventKind::System) {
            carried += delta.value;
            continue;
        }
        putDelta(out, delta, carried, in, at);
        if (head.kind == EventKind::Channel) {
            putChannelMessage(out, head, !head.runningStatus);
            lastChannel = head.channel();
            continue;
        }
        if (head.kind == EventKind::Meta && head.metaType == kMetaSetTempo) {
            // Checked as the pre-reader checks it: the cut file's first Set
            // Tempo may be one the pre-reader never met in the source.
            out.put({head.status, head.metaType});
            out.put(head.length.bytes());
            readTempo(in, head, out);
            continue;
        }
        putLongEvent(out, head, in);
        if (head.kind == EventKind::Meta && head.metaType == kMetaEndOfTrack) break;
    }
    chunk.skipRest(in);
}

}  // namespace

void FormatoUno(AppState& state) {
    requireTempo(state);
    nameCutFile(state);

    ByteReader in = ByteReader::open(pathFromUtf8(state.FilePath), state.FilePath);
    const SmfHeader header = readHeader(in);
    const double cut = cutTick(state, header.division());

    // Track by track, straight to the file: each track's length is patched
    // in once it is written, so memory does not grow with the song.
    OutputFile out(pathFromUtf8(state.CutFilePath), state.CutFilePath);
    out.put({'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, static_cast<std::uint8_t>(header.trackCount >> 8),
             static_cast<std::uint8_t>(header.trackCount), header.divisionHi, header.divisionLo});
    std::uint8_t lastChannel = 0;
    for (std::uint32_t k = 0; k < header.trackCount; ++k) {
        const std::uint64_t lengthAt = out.size() + 4;
        out.put({'M', 'T', 'r', 'k', 0, 0, 0, 0});
        cutTrack(in, cut, out, lastChannel);
        const std::uint64_t length = out.size() - lengthAt - 4;
        if (length > 0xFFFFFFFFu) {
            throw FileError(ErrorKind::CannotWrite, state.CutFilePath, "a track is too long for a MIDI file");
        }
        out.patchU32(lengthAt, static_cast<std::uint32_t>(length));
    }
    in.close();
    out.commit();
}

}  // namespace quorvane
