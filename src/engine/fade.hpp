#pragma once

// Fades of chosen length, for both cutters: how loud a channel is at a time
// of the clip, when the steps of a ramp fall, and what the song's own
// Channel Volume is on each channel during the ramps (read from every track,
// as a Format 1 track steps a channel another track sets).

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <optional>
#include <vector>

#include "cut_points.hpp"
#include "timeline.hpp"

namespace quorvane {

class SongSource;

// How a fade's values go: in equal steps of the value, or in equal steps of
// decibels down to -60 dB, then 0.
enum class FadeCurve : std::uint8_t { Linear, Log };

// A fade steps at least twenty times a second.
inline constexpr double kFadeStepSeconds = 0.05;

// One ramp of every sounding channel: up from silence to the song's own
// level (In) or down from it to silence (Out), between two times in seconds.
struct FadeRamp {
    enum class Direction : std::uint8_t { In, Out };
    Direction direction = Direction::Out;
    FadeCurve curve = FadeCurve::Linear;
    double start = 0;
    double end = 0;

    // The share of the level heard at `time`: 1 before a fade-out and after
    // a fade-in, 0 before a fade-in and after a fade-out.
    double gain(double time) const;
};

// The fades of one clip: either, both or none.
struct Fades {
    std::optional<FadeRamp> in;
    std::optional<FadeRamp> out;

    bool any() const { return in || out; }
    // The value a channel at `level` is given at `time`, rounded down. Times
    // in seconds carry rounding errors that would take a whole step off a
    // value meant to be exact.
    int value(int level, double time) const;
};

// Both are inline: the cutters ask them for every event inside a fade.
inline double FadeRamp::gain(double time) const {
    const double span = end - start;
    if (!(span > 0)) return direction == Direction::In ? 1.0 : 0.0;
    // The share of the ramp run (fade-in) or still to run (fade-out).
    double share = direction == Direction::In ? (time - start) / span : (end - time) / span;
    share = std::min(share, 1.0);
    // Equal steps of decibels, down to -60 dB at the silent end.
    if (curve == FadeCurve::Log) share = share > 0 ? std::pow(10.0, -3.0 * (1 - share)) : 0.0;
    return share;
}

inline int Fades::value(int level, double time) const {
    double value = level * (out ? out->gain(time) : 1.0);
    if (in) value *= in->gain(time);
    value += 1e-6;
    // The conversion cuts toward zero: rounds down the values it gets.
    return value < 1 ? 0 : value >= 127 ? 127 : static_cast<int>(value);
}

// Where a cut's fades of chosen length lie, from `startTick` to `cutTick`
// (the song's end for kWholeSong, which a fade-out makes the cut). A fade
// longer than the clip spans the whole clip.
struct FadePlan {
    Fades fades;
    std::uint64_t cutTick = kWholeSong;
    std::uint64_t inEndTick = 0;              // the events before it lie in the fade-in...
    std::uint64_t outStartTick = kWholeSong;  // ...and those from it in the fade-out
};
FadePlan planFades(const Timeline& timeline, std::uint64_t startTick, std::uint64_t cutTick,
                   std::optional<double> inSeconds, std::optional<double> outSeconds, FadeCurve curve);

// The steps of a ramp, in time order: every kFadeStepSeconds from its start,
// then one at its end (a fade-in reaches the song's level there; a fade-out
// ends at the cut, whose closing silences it). Only steps before `before`.
class RampSteps {
public:
    RampSteps(const FadeRamp& ramp, const Timeline& timeline, std::uint64_t before);

    bool done() const { return tick_ == kWholeSong; }
    std::uint64_t tick() const { return tick_; }  // the next step's tick (kWholeSong: none left)...
    double time() const { return time_; }         // ...and its time
    void next();

private:
    void place();

    FadeRamp ramp_;
    Timeline::Cursor clock_;
    std::uint64_t before_;
    int step_ = 0;
    bool last_ = false;  // the step at the ramp's end has been placed
    std::uint64_t tick_ = kWholeSong;
    double time_ = 0;
};

// What the song's tracks do to each channel's volume where a clip's ramps
// lie, read in one pass over the song: its Channel Volume messages in the
// ramps and the last one before each, and the channels each track plays
// (sounds a note on) before the cut. Memory grows with the messages in the
// ramps only, never with the song.
class ChannelLevels {
public:
    // `ramps`: the source ticks [from, to] each ramp spans.
    static ChannelLevels read(const SongSource& song, std::uint64_t cutTick,
                              const std::vector<std::array<std::uint64_t, 2>>& ramps);

    // The channel's Channel Volume at `tick`, at a ramp's tick (100, General
    // MIDI's power-on volume, before any).
    int level(unsigned channel, std::uint64_t tick) const;
    // Bit c set: the track sounds a note on channel c before the cut.
    std::uint16_t plays(std::uint32_t track) const { return track < plays_.size() ? plays_[track] : 0; }

private:
    struct Change {
        std::uint64_t tick;
        std::uint32_t track;
        std::uint64_t index;
        std::uint8_t value;
    };
    std::array<std::vector<Change>, 16> changes_;  // by channel, in the song's order
    std::vector<std::uint16_t> plays_;
};

}  // namespace quorvane
