#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <optional>

#include "byte_reader.hpp"
#include "cut_name.hpp"
#include "cut_points.hpp"
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

constexpr int kDefaultChannelVolume = 100;  // General MIDI's power-on volume
// A channel that sounds on without events of its own is turned down this
// often (seconds).
constexpr double kStepSeconds = 0.1;

// The channel a fade event before this event goes to.
std::uint8_t fadeChannel(const EventHead& head) {
    switch (head.kind) {
        case EventKind::Channel: return head.channel();  // running status: its channel
        case EventKind::Meta: return 0x0F;
        default: return head.status & 0x0F;  // 0xF0 gives 0, 0xF7 gives 7
    }
}

// Where the clip ends and where its fade starts, in source ticks and in
// seconds. A clip that keeps the whole song has neither.
struct CutPlan {
    std::uint64_t fadeTick = kWholeSong;  // the first tick of the fade
    std::uint64_t cutTick = kWholeSong;   // the first tick not kept
    double fadeStart = 0;                 // seconds
    double cutTime = 0;
    double stepSeconds = kStepSeconds;
    Fades fades;                  // the values of the fade before the cut, and of a fade-in
    std::uint64_t inEndTick = 0;  // the events before it lie in the fade-in
    bool endsAtZero = false;      // every faded channel is set to 0 at the cut

    bool whole() const { return cutTick == kWholeSong; }
};

// The fade runs over the last tenth of the clip's time, from `startTick`,
// unless the request chooses its length. A cut at or past the song's end
// keeps the song as it is, but for a fade of chosen length.
CutPlan planCut(const CutRequest& request, const Timeline* timeline) {
    CutPlan plan;
    if (timeline == nullptr) return plan;  // the whole song, without fades
    const std::uint64_t startTick = request.start ? request.start->startTick() : 0;
    const FadePlan chosen = planFades(*timeline, startTick, request.cutTick, request.fadeInSeconds,
                                      request.fadeOutSeconds, request.fadeCurve);
    plan.fades.in = chosen.fades.in;
    plan.inEndTick = chosen.inEndTick;
    const std::uint64_t cutTick = chosen.cutTick;
    if (cutTick == kWholeSong || (cutTick >= timeline->endTick() && !chosen.fades.out)) return plan;
    plan.cutTick = cutTick;
    plan.cutTime = timeline->seconds(cutTick);
    const double startTime = startTick == 0 ? 0.0 : timeline->seconds(startTick);
    FadeRamp& out = plan.fades.out.emplace();
    out.start = startTime + 0.9 * (plan.cutTime - startTime);
    out.end = plan.cutTime;
    if (chosen.fades.out) {  // a fade of its own length, within the clip
        out = *chosen.fades.out;
        plan.stepSeconds = kFadeStepSeconds;
        plan.endsAtZero = out.start < out.end;
    } else if (request.fadeOutSeconds) {  // 0: none
        out.start = plan.cutTime;
    }
    plan.fadeStart = out.start;
    // An event at nine tenths exactly belongs to the fade, whatever the
    // rounding of the product above.
    plan.fadeTick = timeline->firstTickAt(plan.fadeStart * (1 - 1e-12));
    if (!(plan.fadeStart < plan.cutTime)) plan.fadeTick = cutTick;  // no fade at all
    return plan;
}

// What the copy has done to each channel so far: the last data byte of its
// Channel Volume messages, of its sustain pedal messages and of any other
// message. Every channel message is noted with a single store and no load
// or branch: the copier below calls this for every message, and nothing in
// it waits for the message before.
class ChannelState {
public:
    ChannelState() { last_.fill(kNone); }

    void note(std::uint8_t status, const std::uint8_t* data) {
        // data[1] is read even after a single data byte, and then means nothing.
        last_[kRows[((status & 0x70) << 3) | data[0]] + (status & 0x0F)] = data[1] & 0x7F;
    }

    int volume(unsigned channel) const { return last_[channel] == kNone ? kDefaultChannelVolume : last_[channel]; }
    bool pedalDown(unsigned channel) const { return last_[16 + channel] != kNone && last_[16 + channel] >= 64; }
    bool isUsed(unsigned channel) const {
        return last_[channel] != kNone || last_[16 + channel] != kNone || last_[32 + channel] != kNone;
    }

private:
    static constexpr std::uint8_t kNone = 0xFF;
    // The row of a message by its kind (the status byte's bits 4-6) and its
    // first data byte.
    static constexpr std::array<std::uint8_t, std::size_t{8}* 128> kRows = [] {
        std::array<std::uint8_t, std::size_t{8} * 128> rows{};
        rows.fill(32);
        rows[((kControlChange & 0x70) << 3) | kChannelVolume] = 0;
        rows[((kControlChange & 0x70) << 3) | kSustainPedal] = 16;
        return rows;
    }();
    std::array<std::uint8_t, 48> last_;  // rows of 16 channels: volume, sustain pedal, any other
};

// Copies the single track of a Format 0 file, follows its time through the
// fade, and ends at the cut or at the track's own End of Track.
class ZeroCutter {
public:
    ZeroCutter(const CutPlan& plan, const Timeline* timeline, TrackWalker& track, OutputFile& out)
        : in_(track.reader()), track_(track), out_(out), plan_(plan) {
        if (plan_.whole() && !plan_.fades.in) return;
        eventClock_.emplace(timeline->cursor());
        stepClock_.emplace(timeline->cursor());
        faded_.fill(-1);
        lastFade_.fill(-std::numeric_limits<double>::infinity());
        if (plan_.fades.in) inSteps_.emplace(*plan_.fades.in, *timeline, std::min(plan_.fadeTick, plan_.cutTick));
        nextStep();
    }

    // A clip from a later tick: the track begins with what it carries over
    // (see StartState::writeLeadIn). False when the song ends before the start.
    bool leadIn(const StartState& start, bool strikeNotes) {
        pending_ = start.writeLeadIn(track_, 0, out_, strikeNotes, [&](SetupMessage& message) {
            channels_.note(message.bytes[0], &message.bytes[1]);
            lastStatusWritten_ = message.bytes[0];
            // A fade-in starts each carried Channel Volume at its bottom.
            if (plan_.fades.in && isControlChange(message.bytes[0]) && message.bytes[1] == kChannelVolume) {
                const int volume = plan_.fades.value(message.bytes[2], plan_.fades.in->start);
                message.bytes[2] = static_cast<std::uint8_t>(volume);
                faded_[message.bytes[0] & 0x0F] = volume;
            }
        });
        writtenTick_ = start.startTick();
        return pending_.has_value();
    }

    // True when the cut fell inside the song.
    bool run() {
        for (;;) {
            if (track_.ticks() < plan_.fadeTick && !pending_) copyPlainMessages();
            if (!pending_ && track_.atEnd()) {  // the chunk ends without End of Track: closed as if it had one
                out_.put(0x00);
                out_.put(endOfTrack());
                return false;
            }
            const std::uint64_t at = in_.offset();
            const Vlq delta = pending_ ? *pending_ : track_.delta();  // the lead-in counted its ticks
            pending_.reset();
            EventHead head = track_.events().begin();
            if (track_.ticks() >= plan_.cutTick) {
                closeAtCut(at);
                return true;
            }
            track_.events().finish(head);
            if (head.kind == EventKind::System) {  // not a file event: dropped, its time kept
                carried_ += delta.value;
                continue;
            }
            if (track_.ticks() >= plan_.fadeTick) {
                fadeBefore(head, delta, at);
            } else if (inFadeIn()) {
                rampInBefore(head, delta, at);
            } else {
                putDelta(out_, delta, carried_, in_, at);
                if (head.kind == EventKind::Channel) channels_.note(head.status, head.data);
            }
            writtenTick_ = track_.ticks();
            if (copyEvent(head)) return false;
        }
    }

    std::array<int, 16> volumes() const {
        std::array<int, 16> out;
        for (unsigned channel = 0; channel < 16; ++channel) out[channel] = channels_.volume(channel);
        return out;
    }

private:
    // The channel messages before the fade, copied with their status byte
    // written again where a fade event broke the running status.
    struct PlainCopier {
        std::uint64_t clock;  // counts down: the ticks from the last message copied to the first tick not copied
        int lastWritten;      // -1: no status byte written yet
        ChannelState* channels;

        bool accepts(std::uint64_t left, std::uint32_t ticks) const { return ticks < left; }
        std::uint64_t advance(std::uint64_t left, std::uint32_t ticks) const { return left - ticks; }
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
            channels->note(message.status, message.data);
            lastWritten = message.status;
            return to;
        }
    };

    // Stops also before an event with carried time, which the loop in run()
    // must write anew.
    void copyPlainMessages() {
        if (carried_ != 0 || inFadeIn()) return;
        PlainCopier copier{plan_.fadeTick - track_.ticks(), lastStatusWritten_ ? *lastStatusWritten_ : -1, &channels_};
        quorvane::copyPlainMessages(in_, track_.events(), out_, 1024, copier);
        writtenTick_ = plan_.fadeTick - copier.clock;
        track_.setTicks(writtenTick_);
        if (copier.lastWritten >= 0) lastStatusWritten_ = static_cast<std::uint8_t>(copier.lastWritten);
    }

    // The event in hand lies in the fade: the steps due up to its tick, then
    // a fade event at its time, on the channel it uses; the event follows
    // with delta-time 0. A Channel Volume of the song is turned down too.
    void fadeBefore(EventHead& head, const Vlq& delta, std::uint64_t at) {
        eventTime();
        const std::uint8_t channel = fadeChannel(head);
        bool split = putInSteps(track_.ticks(), at);
        if (stepTick_ <= track_.ticks()) {
            split = putSteps(track_.ticks(), at);
            // Steps at the event's own tick too, but none on its channel,
            // whose fade event follows.
            lastFade_[channel] = time_;
            split |= putSteps(track_.ticks() + 1, at);
        }
        if (split) {
            putTicks(track_.ticks() - writtenTick_, at);
        } else {
            putDelta(out_, delta, carried_, in_, at);
        }
        if (head.kind == EventKind::Channel) channels_.note(head.status, head.data);
        putFade(channel, time_, time_);
        out_.put(0x00);
        if (isChannelVolume(head)) {
            const int volume = plan_.fades.value(head.data[1], time_);
            head.data[1] = static_cast<std::uint8_t>(volume);
            faded_[head.channel()] = volume;
        }
    }

    // Steps at the grid ticks before `end`: each channel used so far, that
    // had no fade event of its own since the grid time before, gets its
    // value for the step's time where that differs from the one it has.
    // True when one was written.
    bool putSteps(std::uint64_t end, std::uint64_t at) {
        bool wrote = false;
        while (stepTick_ < end) {
            const double time = stepClock_->seconds(stepTick_);
            const double since = stepTime(step_ - 1);
            for (std::uint8_t channel = 0; channel < 16; ++channel) {
                if (!channels_.isUsed(channel) || lastFade_[channel] > since) continue;
                const int volume = channels_.volume(channel);
                if (plan_.fades.value(volume, time) == (faded_[channel] < 0 ? volume : faded_[channel])) continue;
                putTicks(stepTick_ - writtenTick_, at);
                writtenTick_ = stepTick_;
                putFade(channel, time, stepTime(step_));
                wrote = true;
            }
            nextStep();
        }
        return wrote;
    }

    double stepTime(int step) const { return plan_.fadeStart + plan_.stepSeconds * step; }

    void nextStep() {
        const double time = stepTime(++step_);
        stepTick_ = time < plan_.cutTime ? stepClock_->firstTickAt(time) : kWholeSong;
    }

    // The time of the event in hand; the events of a chord share theirs.
    double eventTime() {
        if (track_.ticks() != timeTick_) {
            time_ = eventClock_->seconds(track_.ticks());
            timeTick_ = track_.ticks();
        }
        return time_;
    }

    // The events from the clip's start until the fade-in's last step go
    // one by one.
    bool inFadeIn() const { return inSteps_ && (track_.ticks() < plan_.inEndTick || !inSteps_->done()); }

    // The event in hand, before the fade: the fade-in's steps due at or
    // before its tick; then, inside the fade-in, a channel's first message
    // follows its value there, and a Channel Volume of the song is turned
    // down too.
    void rampInBefore(EventHead& head, const Vlq& delta, std::uint64_t at) {
        const bool stepped = putInSteps(track_.ticks(), at);
        const bool inRamp = track_.ticks() < plan_.inEndTick;
        const bool channelMessage = head.kind == EventKind::Channel;
        const bool first = inRamp && channelMessage && faded_[head.channel()] < 0 && !isChannelVolume(head);
        if (stepped || first) {
            putTicks(track_.ticks() - writtenTick_, at);
        } else {
            putDelta(out_, delta, carried_, in_, at);
        }
        if (channelMessage) channels_.note(head.status, head.data);
        if (first) {
            putFadeIn(head.channel(), plan_.fades.value(channels_.volume(head.channel()), eventTime()));
            out_.put(0x00);
        }
        if (inRamp && isChannelVolume(head)) {
            head.data[1] = static_cast<std::uint8_t>(plan_.fades.value(head.data[1], eventTime()));
            faded_[head.channel()] = head.data[1];
        }
    }

    // The fade-in's steps at or before `through`: each channel used so far
    // given its value where that changed. True when one was written.
    bool putInSteps(std::uint64_t through, std::uint64_t at) {
        bool wrote = false;
        for (; inSteps_ && !inSteps_->done() && inSteps_->tick() <= through; inSteps_->next()) {
            for (std::uint8_t channel = 0; channel < 16; ++channel) {
                if (!channels_.isUsed(channel)) continue;
                const int volume = plan_.fades.value(channels_.volume(channel), inSteps_->time());
                if (volume == faded_[channel]) continue;
                putTicks(inSteps_->tick() - writtenTick_, at);
                writtenTick_ = inSteps_->tick();
                putFadeIn(channel, volume);
                wrote = true;
            }
        }
        return wrote;
    }

    void putFadeIn(std::uint8_t channel, int volume) {
        const ShortMessage step = channelVolume(channel, static_cast<std::uint8_t>(volume));
        out_.put(step);
        lastStatusWritten_ = step[0];
        faded_[channel] = volume;
    }

    // A fade event after its delta-time: the channel's volume for `time`,
    // counted as the channel's fade at `countsAt`.
    void putFade(std::uint8_t channel, double time, double countsAt) {
        const int volume = plan_.fades.value(channels_.volume(channel), time);
        const ShortMessage fade = channelVolume(channel, static_cast<std::uint8_t>(volume));
        out_.put(fade);
        lastStatusWritten_ = fade[0];
        faded_[channel] = volume;
        lastFade_[channel] = countsAt;
    }

    // A delta-time of the copy's own, in place of the source's.
    void putTicks(std::uint64_t ticks, std::uint64_t at) {
        if (ticks > kVlqMax) in_.fail("delta-time too large to carry over a dropped system message", at);
        out_.put(encodeVlq(static_cast<std::uint32_t>(ticks)).bytes());
        carried_ = 0;
    }

    // At the cut: the steps still due before it, then at the cut tick each
    // held sustain pedal released and every channel silenced.
    void closeAtCut(std::uint64_t at) {
        putInSteps(plan_.cutTick - 1, at);
        putSteps(plan_.cutTick, at);
        putTicks(plan_.cutTick - writtenTick_, at);
        bool first = true;
        const auto put = [&](const ShortMessage& event) {
            if (!first) out_.put(0x00);
            out_.put(event);
            first = false;
        };
        // A fade of chosen length ends at 0.
        for (std::uint8_t channel = 0; channel < 16 && plan_.endsAtZero; ++channel) {
            if (faded_[channel] > 0) put(channelVolume(channel, 0));
        }
        for (std::uint8_t channel = 0; channel < 16; ++channel) {
            if (channels_.pedalDown(channel)) put(pedalRelease(channel));
        }
        for (std::uint8_t channel = 0; channel < 16; ++channel) put(allSoundOff(channel));
        put(endOfTrack());
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
                return false;
            }
            case EventKind::Meta:
                if (isSetTempo(head)) {
                    out_.put({head.status, head.metaType});
                    out_.put(head.length.bytes());
                    readTempo(in_, head, out_);  // checked as every tempo is
                    return false;
                }
                putLongEvent(out_, head, in_);
                return isEndOfTrack(head);
            default: putLongEvent(out_, head, in_); return false;
        }
    }

    ByteReader& in_;
    TrackWalker& track_;  // its ticks: the source tick of the last event read
    OutputFile& out_;
    const CutPlan plan_;
    ChannelState channels_;
    std::uint64_t writtenTick_ = 0;  // the source tick of the last event written
    std::uint64_t carried_ = 0;      // ticks of dropped system messages since then
    std::optional<std::uint8_t> lastStatusWritten_;
    std::optional<Vlq> pending_;  // the delta-time of the next event, read already by the lead-in

    // The fade.
    std::optional<Timeline::Cursor> eventClock_;  // times of the events
    std::optional<Timeline::Cursor> stepClock_;   // ticks of the steps
    int step_ = 0;                                // the next step is at stepTime(step_)...
    std::uint64_t stepTick_ = kWholeSong;         // ...and at this tick (kWholeSong: none left)
    std::uint64_t timeTick_ = kWholeSong;         // the tick of the last event in the fade...
    double time_ = 0;                             // ...and its time
    std::array<int, 16> faded_;                   // the volume the fade last gave each channel (-1: none yet)
    std::array<double, 16> lastFade_{};           // when each channel's last fade event counts
    std::optional<RampSteps> inSteps_;            // the fade-in's steps still to come
};

}  // namespace

CutResult cutFormatZero(const CutRequest& request) {
    // The copy is written under a lower-case file name; the folder keeps its
    // case. A name whose case tells it from another file's keeps its case.
    CutResult result;
    if (!request.outPath.empty()) {
        result.path = request.outPath;
    } else {
        const std::string path = cutFilePath(request.source, request.listedName, request.destFolder, request.cutNumber);
        result.path = request.keepsNameCase ? lowerCaseSuffix(path) : lowerCaseFileName(path);
    }

    ByteReader in = readSong(request.source, request.song);
    const SmfHeader header = readHeader(in);
    if (header.format > 1) {
        in.fail("format " + std::to_string(header.format) + " is not supported", 8);
    }
    TrackWalker track(in);  // the copy gets its own track length

    std::optional<Timeline> ownTimeline;
    const Timeline* timeline = request.timeline;
    if ((request.cutTick != kWholeSong || request.choosesFades()) && timeline == nullptr) {
        const bool holdsSong = request.song && request.song->path() == request.source;
        ownTimeline.emplace(holdsSong ? Timeline::read(*request.song) : Timeline::read(request.source));
        timeline = &*ownTimeline;
    }
    const CutPlan plan = planCut(request, timeline);

    OutputFile out(pathFromUtf8(result.path), result.path);
    putHeaderChunk(out, SmfHeader{header.format, 1, header.divisionHi, header.divisionLo});
    const std::uint64_t dataStart = openTrackChunk(out);
    ZeroCutter cutter(plan, timeline, track, out);
    if (request.start && !cutter.leadIn(*request.start, request.strikeNotes)) {
        out.put(0x00);  // the song ended before the start
        out.put(endOfTrack());
    } else {
        result.insideSong = cutter.run();
    }
    in.close();
    closeTrackChunk(out, dataStart, result.path, "the track is too long for a MIDI file");
    out.commit();
    result.channelVolumes = cutter.volumes();
    return result;
}

}  // namespace quorvane
