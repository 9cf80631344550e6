#include "music_engine.hpp"

#include <algorithm>
#include <limits>

namespace quorvane::music {

EngineError::EngineError(std::string operation, std::string file, std::string reason)
    : std::runtime_error("music engine: " + operation + (file.empty() ? "" : ": " + file) + ": " + reason),
      operation_(std::move(operation)),
      file_(std::move(file)),
      reason_(std::move(reason)) {}

Segment::Segment(std::string file, std::int32_t length, std::uint32_t division, std::vector<TempoPoint> tempos,
                 std::uint64_t horizon)
    : file_(std::move(file)), length_(length), division_(division), tempos_(std::move(tempos)), horizon_(horizon) {}

void Segment::SetLength(std::int32_t length) {
    if (length < 0) throw EngineError("set length", file_, "negative length " + std::to_string(length));
    length_ = length;
}

double Segment::tempoAt(std::int64_t musicTime) const {
    double bpm = kDefaultBpm;
    if (musicTime < 0) return bpm;
    // A tempo event at source tick k lies at music time k * 768 / division.
    // Both products fit: music time is 32-bit, the division 15-bit, and
    // ticks beyond 2^54 lie past any music time.
    const std::uint64_t reach = static_cast<std::uint64_t>(musicTime) * division_;
    if (horizon_ <= (std::uint64_t{1} << 54) && horizon_ * kTicksPerQuarter <= reach) {
        // Past the tempos kept in memory: the file tells.
        const std::optional<std::uint32_t> tempo = tempoInFile(file_, reach);
        return tempo ? 60000000.0 / *tempo : bpm;
    }
    for (const TempoPoint& point : tempos_) {
        if (point.tick > (std::uint64_t{1} << 54) || point.tick * kTicksPerQuarter > reach) break;
        bpm = 60000000.0 / point.microsPerQuarter;
    }
    return bpm;
}

void Performance::requireOpen(const char* operation) const {
    if (closed_) throw EngineError(operation, "", "the performance has been closed down");
}

void Performance::CloseDown() {
    requireOpen("close down");
    closed_ = true;
    playing_.reset();
}

void Performance::Init(void* /*soundDevice*/, std::intptr_t /*window*/) {
    requireOpen("initialise");
    initialised_ = true;
}

void Performance::SetPort(std::int32_t /*port*/, std::int32_t channelGroups) {
    requireOpen("set port");
    if (!initialised_) throw EngineError("set port", "", "the performance is not initialised");
    if (channelGroups <= 0) throw EngineError("set port", "", "no channel groups");
}

void Performance::SetMasterAutoDownload(bool /*on*/) { requireOpen("set automatic download"); }

std::int32_t Performance::GetMusicTime() const {
    requireOpen("get music time");
    return clock_;
}

std::shared_ptr<SegmentState> Performance::PlaySegment(const std::shared_ptr<Segment>& segment,
                                                       std::int32_t /*flags*/, std::int32_t /*startTime*/) {
    requireOpen("play segment");
    if (!initialised_) throw EngineError("play segment", "", "the performance is not initialised");
    if (!segment) throw EngineError("play segment", "", "no segment");
    playing_ = std::make_shared<SegmentState>(segment, clock_);
    return playing_;
}

double Performance::GetTempo(std::int32_t musicTime, std::int32_t& unused) const {
    requireOpen("get tempo");
    unused = 0;
    if (!playing_) throw EngineError("get tempo", "", "no segment has been played");
    return playing_->segment()->tempoAt(static_cast<std::int64_t>(musicTime) - playing_->startTime());
}

void Performance::Stop(const std::shared_ptr<Segment>& segment, const std::shared_ptr<SegmentState>& state,
                       std::int32_t /*time*/, std::int32_t /*flags*/) {
    requireOpen("stop");
    if (state) state->stopped();
    (void)segment;
}

}  // namespace quorvane::music
