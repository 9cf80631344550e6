#include <algorithm>
#include <cstring>
#include <optional>

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

constexpr int kDefaultChannelVolume = 100;  // General MIDI's power-on volume

// The channel a fade event before this event goes to.
std::uint8_t fadeChannel(const EventHead& head) {
    switch (head.kind) {
        case EventKind::Channel: return head.channel();  // running status: its channel
        case EventKind::Meta: return 0x0F;
        default: return head.status & 0x0F;  // 0xF0 gives 0, 0xF7 gives 7
    }
}

// Copies the single track of a Format 0 file while following the time, and
// ends at the cut or at the track's own End of Track.
class ZeroCutter {
public:
    ZeroCutter(const CutRequest& request, ByteReader& in, OutputFile& out, std::uint32_t division)
        : in_(in),
          out_(out),
          division_(division),
          cutTicks_(request.cutTicks),
          tempo_(request.tempo),
          tickMs_(request.tickMs) {
        volumes_.fill(kDefaultChannelVolume);
    }

    // True when the cut fell inside the song.
    bool run() {
        const double fadeStart = cutTicks_ - cutTicks_ / 10;
        EventReader events(in_);
        // The cut and fade positions in milliseconds follow the current
        // tempo; they change only where a Set Tempo is copied.
        std::uint32_t tempo = 0;
        double cutMs = 0, fadeMs = 0;
        for (;;) {
            if (tempo != tempo_) {
                tempo = tempo_;
                cutMs = musicMilliseconds(cutTicks_, tempo);
                fadeMs = musicMilliseconds(fadeStart, tempo);
            }
            copyPlainMessages(events, std::min(cutMs, fadeMs));
            if (in_.atLimit()) {  // the chunk ends without End of Track: closed as if it had one
                out_.put({0x00, 0xFF, kMetaEndOfTrack, 0x00});
                return false;
            }
            const std::uint64_t at = in_.offset();
            const Vlq delta = in_.vlq();
            elapsedMs_ += delta.value * tickMs_;
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

    std::optional<TempoChange> tempoChange() const { return tempoChange_; }
    const std::array<int, 16>& volumes() const { return volumes_; }

private:
    // The channel messages before the fade, copied with their status byte
    // written again where a fade event broke the running status.
    struct PlainCopier {
        double limitMs;
        double tickMs;
        double clock;     // milliseconds
        int lastWritten;  // -1: no status byte written yet
        std::array<int, 16>* volumes;

        bool accepts(double elapsed, std::uint32_t ticks) const { return elapsed + ticks * tickMs < limitMs; }
        double advance(double elapsed, std::uint32_t ticks) const { return elapsed + ticks * tickMs; }
        std::uint8_t* put(std::uint8_t* to, const PlainMessage& message) {
            std::memcpy(to, message.from, 4);  // only deltaSize of them count
            to += message.deltaSize;
            // The status byte is written always and kept only where it is due;
            // no branches here, as running status and status bytes come mixed.
            *to = message.status;
            to += message.withStatusByte | (lastWritten != message.status);
            to[0] = message.data[0];
            to[1] = message.data[1];
            to += message.dataCount;
            int& volume = (*volumes)[message.status & 0x0F];
            const bool setsVolume = (message.status & 0xF0) == 0xB0 && message.data[0] == 0x07;
            volume = setsVolume ? message.data[1] : volume;
            lastWritten = message.status;
            return to;
        }
    };

    // Stops also before an event with carried time, which the loop in run()
    // must write anew.
    void copyPlainMessages(EventReader& events, double limitMs) {
        if (carried_ != 0) return;
        PlainCopier copier{limitMs, tickMs_, elapsedMs_, lastStatusWritten_ ? *lastStatusWritten_ : -1, &volumes_};
        quorvane::copyPlainMessages(in_, events, out_, 1024, copier);
        elapsedMs_ = copier.clock;
        if (copier.lastWritten >= 0) lastStatusWritten_ = static_cast<std::uint8_t>(copier.lastWritten);
    }

    void fade(std::uint8_t channel) {
        ++fadeCount_;
        const int volume = std::clamp(volumes_[channel] - fadeCount_, 0, 127);
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
                    volumes_[head.channel()] = head.data[1];
                }
                return false;
            }
            case EventKind::Meta:
                if (head.metaType == kMetaSetTempo) {
                    out_.put({head.status, head.metaType});
                    out_.put(head.length.bytes());
                    const std::uint32_t tempo = readTempo(in_, head, out_);
                    tempo_ = tempo;
                    tickMs_ = tickMilliseconds(tempo, division_);
                    tempoChange_ = TempoChange{tempo, division_, tickMs_};
                    return false;
                }
                putLongEvent(out_, head, in_);
                return head.metaType == kMetaEndOfTrack;
            default: putLongEvent(out_, head, in_); return false;
        }
    }

    void silenceAll() {
        for (std::uint8_t k = 0; k < 16; ++k) out_.put({k, static_cast<std::uint8_t>(0xB0 | k), 0x78, 0x00});
        out_.put({0x00, 0xFF, kMetaEndOfTrack, 0x00});
    }

    ByteReader& in_;
    OutputFile& out_;
    std::uint32_t division_;
    double cutTicks_;
    std::uint32_t tempo_;  // the tempo in effect
    double tickMs_;
    std::array<int, 16> volumes_;
    std::optional<TempoChange> tempoChange_;
    double elapsedMs_ = 0;
    int fadeCount_ = 0;
    std::uint64_t carried_ = 0;
    std::optional<std::uint8_t> lastStatusWritten_;
};

}  // namespace

CutResult cutFormatZero(const CutRequest& request) {
    requirePreRead(request.source, request.tempo, request.tickMs);
    // The copy is written under a lower-case file name; the folder keeps its
    // case. A name whose case tells it from another file's keeps its case.
    CutResult result;
    const std::string path = cutFilePath(request.source, request.listedName, request.destFolder);
    result.path = request.keepsNameCase ? lowerCaseSuffix(path) : lowerCaseFileName(path);

    ByteReader in = readSong(request.source, request.song);
    const SmfHeader header = readHeader(in);
    if (header.format > 1) {
        in.fail("format " + std::to_string(header.format) + " is not supported", 8);
    }
    nextTrack(in);  // the copy gets its own track length

    OutputFile out(pathFromUtf8(result.path), result.path);
    putHeaderChunk(out, SmfHeader{header.format, 1, header.divisionHi, header.divisionLo});
    const std::uint64_t dataStart = openTrackChunk(out);
    ZeroCutter cutter(request, in, out, header.division());
    result.insideSong = cutter.run();
    in.close();
    closeTrackChunk(out, dataStart, result.path, "the track is too long for a MIDI file");
    out.commit();
    result.tempo = cutter.tempoChange();
    result.channelVolumes = cutter.volumes();
    return result;
}

}  // namespace quorvane
