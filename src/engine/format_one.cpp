#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <vector>

#include "byte_reader.hpp"
#include "cut_name.hpp"
#include "cutters.hpp"
#include "fade.hpp"
#include "messages.hpp"
#include "platform/files.hpp"
#include "platform/output_file.hpp"
#include "smf.hpp"
#include "song_source.hpp"
#include "start_state.hpp"
#include "timeline.hpp"
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

// A cut's fades, for all its tracks.
struct SongFades {
    FadePlan plan;
    const Timeline* timeline;
    ChannelLevels levels;
    double startTime;
};

// The fades in one track: Channel Volume steps for the channels it plays,
// and the song's own Channel Volume messages turned down by the ramps at
// their time.
class TrackFades {
public:
    TrackFades(const SongFades& song, std::uint32_t track)
        : song_(song), plays_(song.levels.plays(track)), clock_(song.timeline->cursor()) {
        last_.fill(-1);
        if (song.plan.fades.in) steps_[0].emplace(*song.plan.fades.in, *song.timeline, song.plan.cutTick);
        if (song.plan.fades.out) steps_[1].emplace(*song.plan.fades.out, *song.timeline, song.plan.cutTick);
    }

    // The first tick the plain copy stops before, from the event at `time`:
    // none inside the fade-in, then the next step or the fade-out.
    std::uint64_t copyUntil(std::uint64_t time) const {
        if (time < song_.plan.inEndTick) return 0;
        return std::min({song_.plan.cutTick, song_.plan.outStartTick, nextStep()});
    }

    // A Channel Volume carried to the start comes in at the ramps' value there.
    void setup(SetupMessage& message) {
        if (!isControlChange(message.bytes[0]) || message.bytes[1] != kChannelVolume) return;
        message.bytes[2] = static_cast<std::uint8_t>(song_.plan.fades.value(message.bytes[2], song_.startTime));
        last_[message.bytes[0] & 0x0F] = message.bytes[2];
    }

    // The event in hand, at `tick`: a Channel Volume of the song is turned down.
    void scale(EventHead& head, std::uint64_t tick) {
        if (!isChannelVolume(head)) return;
        head.data[1] = static_cast<std::uint8_t>(song_.plan.fades.value(head.data[1], clock_.seconds(tick)));
        last_[head.channel()] = head.data[1];
    }

    // Writes the steps due at or before `through`, each played channel given
    // its value where that changed, after the last event written at
    // `written`; returns the tick of the last thing written.
    std::uint64_t putSteps(std::uint64_t through, std::uint64_t written, OutputFile& out, ByteReader& in,
                           std::uint64_t at) {
        for (;;) {
            std::optional<RampSteps>& steps = nextRamp();
            if (!steps || steps->tick() > through) return written;
            for (std::uint8_t channel = 0; channel < 16; ++channel) {
                if (((plays_ >> channel) & 1) == 0) continue;
                const int value = song_.plan.fades.value(song_.levels.level(channel, steps->tick()), steps->time());
                if (value == last_[channel]) continue;
                written = put(out, in, at, steps->tick(), written, channelVolume(channel, std::uint8_t(value)));
                last_[channel] = value;
            }
            steps->next();
        }
    }

    // A fade-out ends with each played channel at 0 at the cut.
    std::uint64_t putSilence(std::uint64_t written, OutputFile& out, ByteReader& in, std::uint64_t at) {
        if (!song_.plan.fades.out) return written;
        for (std::uint8_t channel = 0; channel < 16; ++channel) {
            if (((plays_ >> channel) & 1) == 0 || last_[channel] == 0) continue;
            written = put(out, in, at, song_.plan.cutTick, written, channelVolume(channel, 0));
            last_[channel] = 0;
        }
        return written;
    }

private:
    // The ramp whose step comes first (none: no step left).
    std::optional<RampSteps>& nextRamp() {
        const auto tick = [](const std::optional<RampSteps>& steps) { return steps ? steps->tick() : kWholeSong; };
        std::optional<RampSteps>& first = tick(steps_[1]) < tick(steps_[0]) ? steps_[1] : steps_[0];
        return tick(first) == kWholeSong ? none_ : first;
    }
    std::uint64_t nextStep() const {
        std::uint64_t next = kWholeSong;
        for (const std::optional<RampSteps>& steps : steps_) {
            if (steps) next = std::min(next, steps->tick());
        }
        return next;
    }
    static std::uint64_t put(OutputFile& out, ByteReader& in, std::uint64_t at, std::uint64_t tick,
                             std::uint64_t written, const ShortMessage& message) {
        if (tick - written > kVlqMax) in.fail("delta-time to a fade step too large for a MIDI file", at);
        out.put(encodeVlq(static_cast<std::uint32_t>(tick - written)).bytes());
        out.put(message);
        return tick;
    }

    const SongFades& song_;
    std::uint16_t plays_;
    Timeline::Cursor clock_;                         // the times of the song's Channel Volume messages
    std::array<std::optional<RampSteps>, 2> steps_;  // fade-in, fade-out
    std::optional<RampSteps> none_;
    std::array<int, 16> last_{};  // the value last written on each channel (-1: none)
};

// Copies one track up to the cut tick (or its own End of Track) into `out`;
// with a start, from there on after what it carries over.
void cutTrack(ByteReader& source, std::uint32_t number, const CutRequest& request, const SongFades* fades,
              OutputFile& out) {
    const std::uint64_t cut = fades ? fades->plan.cutTick : request.cutTick;
    std::optional<TrackFades> fade;
    if (fades) fade.emplace(*fades, number);
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
        pending = request.start->writeLeadIn(track, number, out, request.strikeNotes, [&](SetupMessage& m) {
            channels.keep(m.bytes[0], m.bytes[1], m.bytes[2]);
            if (fade) fade->setup(m);
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
            PlainCopier copier{fade ? fade->copyUntil(time) : cut, time, channels};
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
            std::uint64_t written = time - carried;
            if (fade) {
                written = fade->putSteps(cut - 1, written, out, in, at);
                written = fade->putSilence(written, out, in, at);
            }
            const std::uint64_t rest = cut - written;
            if (rest > kVlqMax) in.fail("delta-time from the last event to the cut too large for a MIDI file", at);
            closeAtCut(out, channels, static_cast<std::uint32_t>(rest));
            break;
        }
        time += delta.value;
        EventHead head = events.next();
        if (head.kind == EventKind::System) {
            carried += delta.value;
            continue;
        }
        bool stepped = false;
        if (fade) {
            const std::uint64_t size = out.size();
            const std::uint64_t written = fade->putSteps(time, time - delta.value - carried, out, in, at);
            stepped = out.size() != size;
            if (stepped) {  // steps came between: the event's delta-time is the copy's own
                out.put(encodeVlq(static_cast<std::uint32_t>(time - written)).bytes());
                carried = 0;
                sameStatus = false;
            }
            fade->scale(head, time);
        }
        if (!stepped) putDelta(out, delta, carried, in, at);
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

    // Fades read the song's time and its Channel Volume messages first.
    std::optional<Timeline> ownTimeline;
    std::optional<SongFades> fades;
    if (request.choosesFades()) {
        const bool holdsSong = request.song && request.song->path() == request.source;
        std::optional<SongSource> ownSong;
        const SongSource& song = holdsSong ? *request.song : ownSong.emplace(request.source);
        const Timeline& timeline = request.timeline ? *request.timeline : ownTimeline.emplace(Timeline::read(song));
        const std::uint64_t startTick = request.start ? request.start->startTick() : 0;
        const FadePlan plan = planFades(timeline, startTick, request.cutTick, request.fadeInSeconds,
                                        request.fadeOutSeconds, request.fadeCurve);
        std::vector<std::array<std::uint64_t, 2>> ramps;
        if (plan.fades.in) ramps.push_back({startTick, plan.inEndTick});
        if (plan.fades.out) ramps.push_back({plan.outStartTick, plan.cutTick});
        fades.emplace(SongFades{plan, &timeline, ChannelLevels::read(song, plan.cutTick, ramps),
                                startTick == 0 ? 0.0 : timeline.seconds(startTick)});
    }

    // Track by track, straight to the file: each track's length is patched
    // in once it is written, so memory does not grow with the song.
    OutputFile out(pathFromUtf8(result.path), result.path);
    putHeaderChunk(out, SmfHeader{1, header.trackCount, header.divisionHi, header.divisionLo});
    for (std::uint32_t k = 0; k < header.trackCount; ++k) {
        const std::uint64_t dataStart = openTrackChunk(out);
        cutTrack(in, k, request, fades ? &*fades : nullptr, out);
        closeTrackChunk(out, dataStart, result.path, "a track is too long for a MIDI file");
    }
    in.close();
    out.commit();
    return result;
}

}  // namespace quorvane
