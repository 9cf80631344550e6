#include <algorithm>
#include <optional>

#include "byte_reader.hpp"
#include "cut_name.hpp"
#include "cutters.hpp"
#include "output_file.hpp"
#include "platform_files.hpp"
#include "smf.hpp"
#include "track_writer.hpp"

namespace quorvane {

namespace {

constexpr std::uint64_t kTrackDataStart = 22;  // header chunk + track chunk header
constexpr std::uint64_t kTrackLengthAt = 18;
constexpr int kDefaultChannelVolume = 100;     // General MIDI's power-on volume

// The channel a fade event before this event goes to.
std::uint8_t fadeChannel(const EventHead& head) {
    switch (head.kind) {
        case EventKind::Channel: return head.channel();  // running status: its channel
        case EventKind::Meta: return 0x0F;
        default: return head.status & 0x0F;              // 0xF0 gives 0, 0xF7 gives 7
    }
}

// Copies the single track of a Format 0 file while following the time, and
// ends at the cut or at the track's own End of Track.
class ZeroCutter {
public:
    ZeroCutter(AppState& state, ByteReader& in, OutputFile& out, std::uint32_t division)
        : state_(state), in_(in), out_(out), division_(division) {}

    // True when the cut fell inside the song.
    bool run() {
        const double fadeStart = state_.CutTime - state_.CutTime / 10;
        EventReader events(in_);
        for (;;) {
            const std::uint64_t at = in_.offset();
            const Vlq delta = in_.vlq();
            elapsedMs_ += delta.value * state_.TickMs;
            EventHead head = events.begin();
            const double cutMs = state_.CutTime / 768000.0 * state_.Tempo;
            const double fadeMs = fadeStart / 768000.0 * state_.Tempo;
            if (elapsedMs_ >= cutMs) {
                silenceAll();
                return true;
            }
            events.finish(head);
            if (head.kind == EventKind::System) {  // not a file event: dropped, its time kept
                carried_ += delta.value;
                continue;
            }
            if (elapsedMs_ >= fadeMs) fade(fadeChannel(head));
            putDelta(out_, delta, carried_, in_, at);
            if (copyEvent(head)) return false;
        }
    }

private:
    void fade(std::uint8_t channel) {
        ++fadeCount_;
        const int volume = std::clamp(state_.ChannelVolume[channel] - fadeCount_, 0, 127);
        const auto status = static_cast<std::uint8_t>(0xB0 | channel);
        out_.put({0x00, status, 0x07, static_cast<std::uint8_t>(volume)});
        lastStatusWritten_ = status;
    }

    // Copies the event after its delta-time; true at the End of Track.
    bool copyEvent(const EventHead& head) {
        switch (head.kind) {
            case EventKind::Channel: {
                // A fade event may have changed the running status of the
                // copy; then the status byte is written out again.
                const bool withStatus = !head.runningStatus || lastStatusWritten_ != head.status;
                putChannelMessage(out_, head, withStatus);
                lastStatusWritten_ = head.status;
                if ((head.status & 0xF0) == 0xB0 && head.data[0] == 0x07) {
                    state_.ChannelVolume[head.channel()] = head.data[1];
                }
                return false;
            }
            case EventKind::Meta:
                if (head.metaType == kMetaSetTempo) {
                    out_.put({head.status, head.metaType});
                    out_.put(head.length.bytes());
                    const std::uint32_t tempo = readTempo(in_, head, out_);
                    state_.Tempo = tempo;
                    state_.Division = ExactDivision{division_};
                    state_.TickMs = tickMilliseconds(tempo, division_);
                    return false;
                }
                putLongEvent(out_, head, in_);
                return head.metaType == kMetaEndOfTrack;
            default:
                putLongEvent(out_, head, in_);
                return false;
        }
    }

    void silenceAll() {
        for (std::uint8_t k = 0; k < 16; ++k) out_.put({k, static_cast<std::uint8_t>(0xB0 | k), 0x78, 0x00});
        out_.put({0x00, 0xFF, kMetaEndOfTrack, 0x00});
    }

    AppState& state_;
    ByteReader& in_;
    OutputFile& out_;
    std::uint32_t division_;
    double elapsedMs_ = 0;
    int fadeCount_ = 0;
    std::uint64_t carried_ = 0;
    std::optional<std::uint8_t> lastStatusWritten_;
};

}  // namespace

void FormatoZero(AppState& state) {
    if (state.Tempo == 0 || !(state.TickMs > 0)) {
        throw FileError(ErrorKind::NotPrepared, state.FilePath, "the file has not been pre-read");
    }
    // The copy is written under a lower-case file name; the folder keeps its case.
    state.CutFilePath = lowerCaseFileName(nameCutFile(state));

    ByteReader in = ByteReader::open(pathFromUtf8(state.FilePath), state.FilePath);
    const SmfHeader header = readHeader(in);
    if (header.format > 1) {
        in.fail("format " + std::to_string(header.format) + " is not supported", 8);
    }
    const TrackChunk chunk = nextTrack(in);

    OutputFile out(pathFromUtf8(state.CutFilePath), state.CutFilePath);
    out.put({'M', 'T', 'h', 'd', 0, 0, 0, 6, static_cast<std::uint8_t>(header.format >> 8),
             static_cast<std::uint8_t>(header.format), 0, 1, header.divisionHi, header.divisionLo});
    out.put({'M', 'T', 'r', 'k', static_cast<std::uint8_t>(chunk.length >> 24),
             static_cast<std::uint8_t>(chunk.length >> 16), static_cast<std::uint8_t>(chunk.length >> 8),
             static_cast<std::uint8_t>(chunk.length)});

    state.ChannelVolume.fill(kDefaultChannelVolume);
    const bool atCut = ZeroCutter(state, in, out, header.division()).run();
    in.close();

    const std::uint64_t trackLength = out.size() - kTrackDataStart;
    if (trackLength > 0xFFFFFFFFu) {
        throw FileError(ErrorKind::CannotWrite, state.CutFilePath, "the track is too long for a MIDI file");
    }
    out.patchU32(kTrackLengthAt, static_cast<std::uint32_t>(trackLength));
    out.commit();
    if (atCut) state.Text9 = state.CutFilePath;
}

}  // namespace quorvane
