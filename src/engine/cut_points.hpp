#pragma once

// Where a clip ends, as a pure function of the song's timeline: for a
// position of the cut slider and for a clip length in seconds. A Format 0
// song ends at the exact tick, a Format 1 song on a bar line; a clip that
// would reach the song's end keeps the whole song (kWholeSong).

#include <cstdint>
#include <limits>

namespace quorvane {

class Timeline;

// The cut tick of a clip that keeps the whole song: no cut at all.
inline constexpr std::uint64_t kWholeSong = std::numeric_limits<std::uint64_t>::max();

// Music ticks (768 per quarter note) per step of the cut slider.
inline constexpr std::int64_t kMusicTicksPerStep = 1000;

// The cut slider's steps for the song: 1 to ceil(music length / 1000), the
// last reaching the song's end (at least 1).
std::int32_t cutSteps(const Timeline& timeline);

// The source tick that step `step` stands for: floor(1000 * step * division / 768).
std::uint64_t stepTick(std::int64_t step, std::uint32_t division);

// Where CUT ONE ends the clip with the cut slider at `step`: that tick
// (Format 0) or the first bar line at or after it (Format 1); kWholeSong
// when that lies at or past the song's end.
std::uint64_t cutTickAtStep(const Timeline& timeline, bool formatOne, std::int64_t step);

// The step of the cut slider that shows a clip ending at `cutTick`: the first
// step whose tick is at or past it, within 1 to cutSteps (kWholeSong: the last).
std::int32_t stepAtOrAfter(const Timeline& timeline, std::uint64_t cutTick);

// Where a clip of `seconds` ends: the first tick (Format 0) or bar line
// (Format 1) whose time is at least `seconds`; kWholeSong for a song not
// longer than that.
std::uint64_t cutTickForClip(const Timeline& timeline, bool formatOne, double seconds);

// The length in seconds of the clip that ends at `cutTick`.
double clipSeconds(const Timeline& timeline, std::uint64_t cutTick);

}  // namespace quorvane
