#include <algorithm>
#include <cmath>

#include "engine/cut_points.hpp"
#include "engine/timeline.hpp"
#include "engine_test_util.hpp"
#include "preview/render.hpp"
#include "preview/soundfont.hpp"

namespace quorvane::preview {
namespace {

using test::preparedRequest;
using test::TempDir;

std::string sample(const char* name) { return std::string(QUORVANE_SAMPLES) + "/" + name; }

// The peak level in dBFS over [from, to) seconds of the audio (to: its end at most).
double peakDb(const Pcm& pcm, double from, double to) {
    const auto a = std::min(pcm.samples.size(), 2 * static_cast<std::size_t>(from * pcm.sampleRate));
    const auto b = std::min(pcm.samples.size(), 2 * static_cast<std::size_t>(to * pcm.sampleRate));
    float peak = 0;
    for (std::size_t k = a; k < b; ++k) peak = std::max(peak, std::fabs(pcm.samples[k]));
    return 20 * std::log10(std::max(peak, 1e-9f));
}

class Render : public ::testing::Test {
protected:
    static void SetUpTestSuite() { synth = std::make_unique<Synth>(findSoundFont(std::nullopt), 22050); }
    static void TearDownTestSuite() { synth.reset(); }
    static Pcm render(const std::string& path) { return renderSong(*synth, readSongEvents(path)); }
    static inline std::unique_ptr<Synth> synth;
};

TEST_F(Render, ACutEndsInSilenceWhereTheSongItselfPlaysOn) {
    const TempDir dir;
    for (const char* name : {"format1_band.mid", "format1_div96_plain.mid", "format0_tempo_volume.mid"}) {
        // A clip of 10 s: each song plays on past it.
        const bool formatOne = name[6] == '1';
        CutRequest request = preparedRequest(sample(name), cutTickForClip(Timeline::read(sample(name)), formatOne, 10));
        request.destFolder = dir.path().string();
        const std::string clip = (formatOne ? cutFormatOne(request) : cutFormatZero(request)).path;
        const double end = readSongEvents(clip).lastEventSeconds;
        const Pcm audio = render(clip);
        EXPECT_LT(peakDb(audio, end + 0.5, 1e9), -60) << name;
        // The audio ends once the sound has died away, at most 2 s on.
        EXPECT_LE(audio.seconds(), end + Sequencer::kTailSeconds + 0.01) << name;
        // The same check on the song uncut fails: its notes go on.
        EXPECT_GT(peakDb(render(sample(name)), end + 0.5, end + 1.5), -60) << name;
    }
}

TEST_F(Render, TwoRendersAreEqualSampleForSample) {
    const Pcm first = render(sample("format1_band.mid"));
    EXPECT_GT(first.seconds(), 40);
    EXPECT_EQ(render(sample("format1_band.mid")).samples, first.samples);
}

}  // namespace
}  // namespace quorvane::preview
