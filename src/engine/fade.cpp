#include "fade.hpp"

#include <algorithm>
#include <cmath>
#include <tuple>

#include "byte_reader.hpp"
#include "messages.hpp"
#include "smf.hpp"
#include "song_source.hpp"
#include "track_walker.hpp"

namespace quorvane {

namespace {

constexpr int kDefaultChannelVolume = 100;  // General MIDI's power-on volume

}  // namespace

FadePlan planFades(const Timeline& timeline, std::uint64_t startTick, std::uint64_t cutTick,
                   std::optional<double> inSeconds, std::optional<double> outSeconds, FadeCurve curve) {
    FadePlan plan;
    plan.cutTick = cutTick;
    const bool fadesOut = outSeconds && *outSeconds > 0;
    if (fadesOut) plan.cutTick = std::min(cutTick, timeline.endTick());
    const double startTime = startTick == 0 ? 0.0 : timeline.seconds(startTick);
    const double endTime = plan.cutTick < timeline.endTick() ? timeline.seconds(plan.cutTick) : timeline.length();
    if (inSeconds && *inSeconds > 0) {
        FadeRamp& in = plan.fades.in.emplace();
        in.direction = FadeRamp::Direction::In;
        in.curve = curve;
        in.start = startTime;
        in.end = std::min(endTime, startTime + *inSeconds);
        plan.inEndTick = timeline.firstTickAt(in.end);
    }
    if (fadesOut) {
        FadeRamp& out = plan.fades.out.emplace();
        out.curve = curve;
        out.start = std::max(startTime, endTime - *outSeconds);
        out.end = endTime;
        // An event at the ramp's start exactly belongs to it, whatever the
        // rounding of the times.
        plan.outStartTick = timeline.firstTickAt(out.start * (1 - 1e-12));
    }
    return plan;
}

RampSteps::RampSteps(const FadeRamp& ramp, const Timeline& timeline, std::uint64_t before)
    : ramp_(ramp), clock_(timeline.cursor()), before_(before) {
    place();
}

void RampSteps::next() {
    ++step_;
    place();
}

void RampSteps::place() {
    time_ = ramp_.start + kFadeStepSeconds * step_;
    if (!(time_ < ramp_.end)) {
        if (last_) {
            tick_ = kWholeSong;
            return;
        }
        last_ = true;
        time_ = ramp_.end;
    }
    tick_ = clock_.firstTickAt(time_);
    if (tick_ >= before_) tick_ = kWholeSong;
}

ChannelLevels ChannelLevels::read(const SongSource& song, std::uint64_t cutTick,
                                  const std::vector<std::array<std::uint64_t, 2>>& ramps) {
    ChannelLevels levels;
    ByteReader in = song.reader();
    const SmfHeader header = readHeader(in);
    levels.plays_.assign(header.trackCount, 0);
    // By channel and ramp: the last change before the ramp.
    std::array<std::vector<std::optional<Change>>, 16> before;
    for (auto& channel : before) channel.resize(ramps.size());
    const auto later = [](const Change& a, const Change& b) {
        return std::tie(a.tick, a.track, a.index) > std::tie(b.tick, b.track, b.index);
    };
    for (std::uint32_t track = 0; track < header.trackCount; ++track) {
        TrackWalker walker(in);
        for (std::uint64_t index = 0; !walker.atEnd(); ++index) {
            walker.delta();
            if (walker.ticks() > cutTick) break;
            const EventHead head = walker.event();
            if (head.kind != EventKind::Channel) {
                walker.skipPayload(head);
                if (isEndOfTrack(head)) break;
                continue;
            }
            const unsigned channel = head.channel();
            if ((head.status & 0xF0) == kNoteOn && head.data[1] > 0 && walker.ticks() < cutTick) {
                levels.plays_[track] = static_cast<std::uint16_t>(levels.plays_[track] | (1u << channel));
            }
            if (!isChannelVolume(head)) continue;
            const Change change{walker.ticks(), track, index, head.data[1]};
            bool inRamp = false;
            for (std::size_t ramp = 0; ramp < ramps.size(); ++ramp) {
                if (change.tick < ramps[ramp][0]) {
                    std::optional<Change>& last = before[channel][ramp];
                    if (!last || later(change, *last)) last = change;
                } else if (change.tick <= ramps[ramp][1]) {
                    inRamp = true;
                }
            }
            if (inRamp) levels.changes_[channel].push_back(change);
        }
        walker.finish();
    }
    for (unsigned channel = 0; channel < 16; ++channel) {
        std::vector<Change>& changes = levels.changes_[channel];
        for (const std::optional<Change>& last : before[channel]) {
            if (last) changes.push_back(*last);
        }
        std::sort(changes.begin(), changes.end(), [&](const Change& a, const Change& b) { return later(b, a); });
    }
    return levels;
}

int ChannelLevels::level(unsigned channel, std::uint64_t tick) const {
    const std::vector<Change>& changes = changes_[channel];
    const auto after = std::upper_bound(changes.begin(), changes.end(), tick,
                                        [](std::uint64_t at, const Change& change) { return at < change.tick; });
    return after == changes.begin() ? kDefaultChannelVolume : std::prev(after)->value;
}

}  // namespace quorvane
