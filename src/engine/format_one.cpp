#include <cmath>
#include <vector>

#include "byte_reader.hpp"
#include "cut_name.hpp"
#include "cutters.hpp"
#include "output_file.hpp"
#include "platform_files.hpp"
#include "smf.hpp"
#include "track_writer.hpp"

namespace quorvane {

namespace {

// One cut track, built in memory until the whole source has been read.
struct TrackBuffer {
    std::vector<std::uint8_t> bytes;

    void put(std::uint8_t byte) { bytes.push_back(byte); }
    void put(std::span<const std::uint8_t> more) { bytes.insert(bytes.end(), more.begin(), more.end()); }
    void put(std::initializer_list<std::uint8_t> more) { bytes.insert(bytes.end(), more); }
    void operator()(std::span<const std::uint8_t> more) { put(more); }
};

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
void cutTrack(ByteReader& in, double cut, TrackBuffer& out, std::uint8_t& lastChannel) {
    const TrackChunk chunk = nextTrack(in);
    EventReader events(in);
    std::uint64_t time = 0;
    std::uint64_t carried = 0;  // ticks of dropped system messages not yet written
    for (;;) {
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
    std::vector<TrackBuffer> tracks(header.trackCount);
    std::uint8_t lastChannel = 0;
    for (TrackBuffer& track : tracks) cutTrack(in, cut, track, lastChannel);
    in.close();

    OutputFile out(pathFromUtf8(state.CutFilePath), state.CutFilePath);
    out.put({'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, static_cast<std::uint8_t>(header.trackCount >> 8),
             static_cast<std::uint8_t>(header.trackCount), header.divisionHi, header.divisionLo});
    for (const TrackBuffer& track : tracks) {
        if (track.bytes.empty()) continue;
        if (track.bytes.size() > 0xFFFFFFFFu) {
            throw FileError(ErrorKind::CannotWrite, state.CutFilePath, "a track is too long for a MIDI file");
        }
        const auto size = static_cast<std::uint32_t>(track.bytes.size());
        out.put({'M', 'T', 'r', 'k', static_cast<std::uint8_t>(size >> 24), static_cast<std::uint8_t>(size >> 16),
                 static_cast<std::uint8_t>(size >> 8), static_cast<std::uint8_t>(size)});
        out.put(track.bytes);
    }
    out.commit();
}

}  // namespace quorvane
