#include "cut_points.hpp"

#include <algorithm>
#include <limits>

#include "music_time.hpp"
#include "timeline.hpp"

namespace quorvane {

namespace {

// A cut at or past the song's end keeps the song whole.
std::uint64_t withinSong(const Timeline& timeline, std::uint64_t tick) {
    return tick >= timeline.endTick() ? kWholeSong : tick;
}

}  // namespace

std::int32_t cutSteps(const Timeline& timeline) {
    const std::int64_t steps =
        std::max<std::int64_t>(1, (std::int64_t{timeline.musicLength()} + kMusicTicksPerStep - 1) / kMusicTicksPerStep);
    return static_cast<std::int32_t>(std::min<std::int64_t>(steps, std::numeric_limits<std::int32_t>::max()));
}

std::uint64_t stepTick(std::int64_t step, std::uint32_t division) {
    if (step <= 0) return 0;
    // Exact in 64 bits: steps are 32-bit, the division 15-bit.
    return static_cast<std::uint64_t>(step) * kMusicTicksPerStep * division / kMusicTicksPerQuarter;
}

std::int32_t stepAtOrAfter(const Timeline& timeline, std::uint64_t cutTick) {
    const std::int32_t last = cutSteps(timeline);
    if (cutTick == kWholeSong) return last;
    // floor(1000 k division / 768) >= tick exactly when 1000 k division >= 768 tick.
    const std::uint64_t perStep = static_cast<std::uint64_t>(kMusicTicksPerStep) * timeline.division();
    const std::uint64_t step = (cutTick * kMusicTicksPerQuarter + perStep - 1) / perStep;
    return static_cast<std::int32_t>(std::clamp<std::uint64_t>(step, 1, static_cast<std::uint64_t>(last)));
}

std::uint64_t cutTickAtStep(const Timeline& timeline, bool formatOne, std::int64_t step) {
    const std::uint64_t tick = stepTick(step, timeline.division());
    if (tick >= timeline.endTick()) return kWholeSong;
    return withinSong(timeline, formatOne ? timeline.barLineAtOrAfter(tick) : tick);
}

std::uint64_t cutTickForClip(const Timeline& timeline, bool formatOne, double seconds) {
    if (!(seconds < timeline.length())) return kWholeSong;
    return withinSong(timeline, formatOne ? timeline.firstBarLineAt(seconds) : timeline.firstTickAt(seconds));
}

double clipSeconds(const Timeline& timeline, std::uint64_t cutTick) {
    if (cutTick >= timeline.endTick()) return timeline.length();
    return timeline.seconds(cutTick);
}

}  // namespace quorvane
