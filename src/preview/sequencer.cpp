#include "sequencer.hpp"

#include <algorithm>
#include <cmath>

namespace quorvane::preview {

namespace {

// Below this level (-80 dBFS) the sound has died away.
constexpr float kSilence = 1e-4f;

}  // namespace

Sequencer::Sequencer(const SongEvents& song, int sampleRate)
    : song_(song),
      lastEventFrame_(static_cast<std::uint64_t>(std::ceil(std::max(0.0, song.lastEventSeconds) * sampleRate))),
      endFrame_(lastEventFrame_ + static_cast<std::uint64_t>(kTailSeconds * sampleRate)),
      rate_(sampleRate) {}

int Sequencer::render(Synth& synth, float* out, int frames) {
    int done = 0;
    while (done < frames && !over_) {
        std::uint64_t until = endFrame_;
        while (next_ < song_.events.size()) {
            const TimedEvent& event = song_.events[next_];
            const auto at = static_cast<std::uint64_t>(std::ceil(std::max(0.0, event.seconds) * rate_));
            if (at > frame_) {
                until = at;
                break;
            }
            synth.play(event);
            ++next_;
        }
        const bool tail = next_ == song_.events.size() && frame_ >= lastEventFrame_;
        if (!tail && next_ == song_.events.size()) until = lastEventFrame_;
        const int piece = static_cast<int>(std::min<std::uint64_t>(until - frame_, frames - done));
        float* block = out + 2 * static_cast<std::ptrdiff_t>(done);
        synth.render(block, piece);
        frame_ += piece;
        done += piece;
        if (tail) {
            const bool quiet =
                std::all_of(block, block + std::ptrdiff_t{2} * piece, [](float s) { return std::fabs(s) < kSilence; });
            over_ = quiet || frame_ >= endFrame_;
        }
    }
    return done;
}

}  // namespace quorvane::preview
