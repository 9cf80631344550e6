#include <algorithm>
#include <cmath>
#include <cstring>

#include "byte_reader.hpp"
#include "cut_name.hpp"
#include "cutters.hpp"
#include "output_file.hpp"
#include "platform_files.hpp"
#include "pre_reader.hpp"
#include "smf.hpp"
#include "song_source.hpp"
#include "track_writer.hpp"

namespace quorvane {

namespace {

// The channel messages before the cut, copied as they are.
struct PlainCopier {
    double cut;
    std::uint64_t clock;  // music ticks

    bool accepts(std::uint64_t time, std::uint32_t ticks) const { return static_cast<double>(time + ticks) < cut; }
    static std::uint64_t advance(std::uint64_t time, std::uint32_t ticks) { return time + ticks; }
    static std::uint8_t* put(std::uint8_t* to, const PlainMessage& message) {
        std::memcpy(to, message.from, 7);  // only the message's own bytes count
        return to + (message.data + message.dataCount - message.from);
    }
};

// The first bar line (four quarter notes) strictly after the cut position,
// measured at the first tempo of the file.
double cutTick(const CutRequest& request, std::uint32_t division) {
    const double cutMs = musicMilliseconds(request.cutTicks, request.tempo);
    const double cutTicks = std::floor(cutMs / request.tickMs);
    const double bar = 4.0 * division;
    return (std::floor(cutTicks / bar) + 1.0) * bar;
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
        if (carried == 0) {
            PlainCopier copier{cut, time};
            const std::uint64_t before = in.offset();
            copyPlainMessages(in, events, out, 4096, copier);
            time = copier.clock;
            // The running status is the last message copied.
            if (in.offset() != before) lastChannel = events.runningStatus() & 0x0F;
        }
        if (in.atLimit()) {  // the chunk ends without End of Track: closed as if it had one
            out.put({0x00, 0xFF, kMetaEndOfTrack, 0x00});
            break;
        }
        const std::uint64_t at = in.offset();
        const Vlq delta = in.vlq();
        time += delta.value;
        if (static_cast<double>(time) >= cut) {
            out.put(
                {0x00, static_cast<std::uint8_t>(0xB0 | lastChannel), 0x78, 0x00, 0x00, 0xFF, kMetaEndOfTrack, 0x00});
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

CutResult cutFormatOne(const CutRequest& request) {
    requirePreRead(request.source, request.tempo, request.tickMs);
    CutResult result;
    result.path = cutFilePath(request.source, request.listedName, request.destFolder);

    ByteReader in = readSong(request.source, request.song);
    const SmfHeader header = readHeader(in);
    const double cut = cutTick(request, header.division());

    // Track by track, straight to the file: each track's length is patched
    // in once it is written, so memory does not grow with the song.
    OutputFile out(pathFromUtf8(result.path), result.path);
    putHeaderChunk(out, SmfHeader{1, header.trackCount, header.divisionHi, header.divisionLo});
    std::uint8_t lastChannel = 0;
    for (std::uint32_t k = 0; k < header.trackCount; ++k) {
        const std::uint64_t dataStart = openTrackChunk(out);
        cutTrack(in, cut, out, lastChannel);
        closeTrackChunk(out, dataStart, result.path, "a track is too long for a MIDI file");
    }
    in.close();
    out.commit();
    return result;
}

}  // namespace quorvane
