#include <algorithm>
#include <cstring>
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
        // The cut and fade positions in milliseconds follow the current
        // tempo; they change only where a Set Tempo is copied.
        std::uint32_t tempo = 0;
        double cutMs = 0, fadeMs = 0;
        for (;;) {
            if (tempo != state_.Tempo) {
                tempo = state_.Tempo;
                cutMs = state_.CutTime / 768000.0 * tempo;
                fadeMs = fadeStart / 768000.0 * tempo;
            }
            copyPlainMessages(events, std::min(cutMs, fadeMs));
            if (in_.atLimit()) {  // the chunk ends without End of Track: closed as if it had one
                out_.put({0x00, 0xFF, kMetaEndOfTrack, 0x00});
                return false;
            }
            const std::uint64_t at = in_.offset();
            const Vlq delta = in_.vlq();
            elapsedMs_ += delta.value * state_.TickMs;
            EventHead head = events.begin();
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
    // Channel messages before the fade, the bulk of a song, go straight from
    // the read buffer to the write buffer, exactly as the loop in run() would
    // copy them. Stops before the first event that needs that loop: another
    // kind of event, one at or past `limitMs`, one with carried time, one
    // not wholly buffered, or one the loop must refuse.
    void copyPlainMessages(EventReader& events, double limitMs) {
        if (carried_ != 0) return;
        constexpr std::size_t kLongest = 7;  // 4 delta-time bytes, status, 2 data bytes
        const std::span<const std::uint8_t> source = in_.buffered();
        if (source.size() <= kLongest) return;
        const std::span<std::uint8_t> target = out_.room(1024);
        const std::uint8_t* from = source.data();
        const std::uint8_t* const fromEnd = from + (source.size() - kLongest);
        std::uint8_t* to = target.data();
        std::uint8_t* const toEnd = to + (target.size() - kLongest);
        const double tickMs = state_.TickMs;
        double elapsed = elapsedMs_;
        std::uint8_t running = events.runningStatus();
        int lastWritten = lastStatusWritten_ ? *lastStatusWritten_ : -1;
        while (from < fromEnd && to < toEnd) {
            std::uint32_t ticks = 0;
            const std::size_t deltaSize = decodeVlq(from, ticks);
            if (deltaSize == 0) break;
            const double next = elapsed + ticks * tickMs;
            if (!(next < limitMs)) break;
            const std::uint8_t first = from[deltaSize];
            const bool withStatusByte = first >= 0x80;
            if (first >= 0xF0 || (!withStatusByte && running == 0)) break;
            const std::uint8_t status = withStatusByte ? first : running;
            const std::uint8_t* data = from + deltaSize + (withStatusByte ? 1 : 0);
            const std::size_t dataCount = channelDataCount(status);

            std::memcpy(to, from, 4);  // only deltaSize of them count
            to += deltaSize;
            if (withStatusByte || lastWritten != status) *to++ = status;
            to[0] = data[0];
            to[1] = data[1];
            to += dataCount;
            if ((status & 0xF0) == 0xB0 && data[0] == 0x07) state_.ChannelVolume[status & 0x0F] = data[1];
            lastWritten = status;
            running = status;
            elapsed = next;
            from = data + dataCount;
        }
        in_.advance(static_cast<std::size_t>(from - source.data()));
        out_.wrote(static_cast<std::size_t>(to - target.data()));
        events.setRunningStatus(running);
        elapsedMs_ = elapsed;
        if (lastWritten >= 0) lastStatusWritten_ = static_cast<std::uint8_t>(lastWritten);
    }

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
    // The copy is written under a lower-case file name; the folder keeps its
    // case. A name whose case tells it from another file's keeps its case.
    nameCutFile(state);
    state.CutFilePath = state.KeepsNameCase ? lowerCaseSuffix(state.CutFilePath)
                                            : lowerCaseFileName(state.CutFilePath);

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
