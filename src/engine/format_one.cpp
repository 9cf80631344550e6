#include <cstring>
#include <optional>

#include "byte_reader.hpp"
#include "cut_name.hpp"
#include "cutters.hpp"
#include "messages.hpp"
#include "platform/files.hpp"
#include "platform/output_file.hpp"
#include "smf.hpp"
#include "song_source.hpp"
#include "start_state.hpp"
#include "track_walker.hpp"
#include "track_writer.hpp"

namespace quorvane {

namespace {

// The channels a track has used so far (bit c for channel c), and those
// whose sustain pedal (controller 64) is down (bit 16 + c), in one word: the
// fast path keeps it in a register.
class Channels {
public:
    // Notes a channel message kept (`second` counts for a controller change
    // only). Without a branch: the fast path notes every message of the song.
    void keep(std::uint8_t status, std::uint8_t first, std::uint8_t second) {
        const std::uint32_t bit = std::uint32_t{1} << (status & 0x0F);
        const std::uint32_t pedal = 0u - (isControlChange(status) & (first == kSustainPedal));  // all ones: a pedal
        const std::uint32_t down = 0u - ((second >> 6) & 1u);  // all ones for a data byte of 64 or more
        bits_ = ((bits_ | bit) & ~(bit << 16 & pedal)) | (bit << 16 & pedal & down);
    }
    bool used(int channel) const { return (bits_ >> channel) & 1; }
    bool pedalDown(int channel) const { return (bits_ >> (16 + channel)) & 1; }

private:
    std::uint32_t bits_ = 0;
};

// The channel messages before the cut, copied as they are.
struct PlainCopier {
    std::uint64_t cut;
    std::uint64_t clock;  // source ticks
    Channels channels;

    bool accepts(std::uint64_t time, std::uint32_t ticks) const { return time + ticks < cut; }
    static std::uint64_t advance(std::uint64_t time, std::uint32_t ticks) { return time + ticks; }
    std::uint8_t* put(std::uint8_t* to, const PlainMessage& message) {
        std::memcpy(to, message.from, 7);  // only the message's own bytes count
        // The byte after a message of one data byte is buffered too (the fast
        // path stops seven bytes before the end of what it reads); it is not
        // a controller's value, so it does not count.
        channels.keep(message.status, message.data[0], message.data[1]);
        return to + (message.data + message.dataCount - message.from);
    }
};

// Ends a track at the cut, `delta` ticks after the last event written: for
// each channel it used, in ascending order, a pedal release where the pedal
// is down and All Sound Off, then End of Track. Only the first event takes
// the delta-time.
void closeAtCut(OutputFile& out, const Channels& channels, std::uint32_t delta) {
    Vlq time = encodeVlq(delta);
    const auto put = [&](const ShortMessage& event) {
        out.put(time.bytes());
        out.put(event);
        time = encodeVlq(0);
    };
    for (std::uint8_t channel = 0; channel < 16; ++channel) {
        if (!channels.used(channel)) continue;
        if (channels.pedalDown(channel)) put(pedalRelease(channel));
        put(allSoundOff(channel));
    }
    put(endOfTrack());
}

// Copies one track up to the cut tick (or its own End of Track) into `out`;
// with a start, from there on after what it carries over.
void cutTrack(ByteReader& source, std::uint32_t number, const CutRequest& request, OutputFile& out) {
    const std::uint64_t cut = request.cutTick;
    TrackWalker track(source);
    ByteReader& in = track.reader();
    EventReader& events = track.events();
    Channels channels;
    std::uint64_t time = 0;      // of the last event read
    std::uint64_t carried = 0;   // ticks of dropped system messages not yet written
    std::optional<Vlq> pending;  // the delta-time of the next event, read already
    // The copy's running status is the song's: false until the first
    // channel message after the lead-in is written with its status byte.
    bool sameStatus = true;
    if (request.start != nullptr) {
        pending = request.start->writeLeadIn(track, number, out, request.strikeNotes, [&](const SetupMessage& m) {
            channels.keep(m.bytes[0], m.bytes[1], m.bytes[2]);
        });
        if (!pending) {  // the track ended before the start
            out.put(0x00);
            out.put(endOfTrack());
            track.finish();
            return;
        }
        time = request.start->startTick();
        sameStatus = false;
    }
    for (;;) {
        if (carried == 0 && sameStatus && !pending) {
            PlainCopier copier{cut, time, channels};
            copyPlainMessages(in, events, out, 4096, copier);
            time = copier.clock;
            channels = copier.channels;
        }
        if (!pending && in.atLimit()) {  // the chunk ends without End of Track: closed as if it had one
            out.put(0x00);
            out.put(endOfTrack());
            break;
        }
        const std::uint64_t at = in.offset();
        const Vlq delta = pending ? *pending : in.vlq();
        pending.reset();
        if (time + delta.value >= cut) {  // not kept: the track ends at the cut
            const std::uint64_t rest = cut - time + carried;
            if (rest > kVlqMax) in.fail("delta-time from the last event to the cut too large for a MIDI file", at);
            closeAtCut(out, channels, static_cast<std::uint32_t>(rest));
            break;
        }
        time += delta.value;
        const EventHead head = events.next();
        if (head.kind == EventKind::System) {
            carried += delta.value;
            continue;
        }
        putDelta(out, delta, carried, in, at);
        if (head.kind == EventKind::Channel) {
            putChannelMessage(out, head, !head.runningStatus || !sameStatus);
            sameStatus = true;
            channels.keep(head.status, head.data[0], head.data[1]);
            continue;
        }
        if (isSetTempo(head)) {
            // Checked as the pre-reader checks it: the cut file's first Set
            // Tempo may be one the pre-reader never met in the source.
            out.put({head.status, head.metaType});
            out.put(head.length.bytes());
            readTempo(in, head, out);
            continue;
        }
        putLongEvent(out, head, in);
        if (isEndOfTrack(head)) break;
    }
    track.finish();
}

}  // namespace

CutResult cutFormatOne(const CutRequest& request) {
    CutResult result;
    result.path = request.outPath.empty()
                      ? cutFilePath(request.source, request.listedName, request.destFolder, request.cutNumber)
                      : request.outPath;

    ByteReader in = readSong(request.source, request.song);
    const SmfHeader header = readHeader(in);

    // Track by track, straight to the file: each track's length is patched
    // in once it is written, so memory does not grow with the song.
    OutputFile out(pathFromUtf8(result.path), result.path);
    putHeaderChunk(out, SmfHeader{1, header.trackCount, header.divisionHi, header.divisionLo});
    for (std::uint32_t k = 0; k < header.trackCount; ++k) {
        const std::uint64_t dataStart = openTrackChunk(out);
        cutTrack(in, k, request, out);
        closeTrackChunk(out, dataStart, result.path, "a track is too long for a MIDI file");
    }
    in.close();
    out.commit();
    return result;
}

}  // namespace quorvane
