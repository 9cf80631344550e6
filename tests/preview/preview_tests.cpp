#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "engine_test_util.hpp"
#include "preview/render.hpp"
#include "preview/soundfont.hpp"

namespace quorvane::preview {
namespace {

using namespace test;

std::string sample(const char* name) { return std::string(QUORVANE_SAMPLES) + "/" + name; }

// The level in dBFS over [from, to) seconds of the audio (to: its end at
// most): the peak, or the mean power.
double levelDb(const Pcm& pcm, double from, double to, bool peak = true) {
    const auto a = std::min(pcm.samples.size(), 2 * static_cast<std::size_t>(from * pcm.sampleRate));
    const auto b = std::min(pcm.samples.size(), 2 * static_cast<std::size_t>(to * pcm.sampleRate));
    double level = 0;
    for (std::size_t k = a; k < b; ++k) {
        const double s = pcm.samples[k];
        level = peak ? std::max(level, s * s) : level + s * s / static_cast<double>(b - a);
    }
    return 10 * std::log10(std::max(level, 1e-18));
}

class Render : public ::testing::Test {
protected:
    static void SetUpTestSuite() { synth = std::make_unique<Synth>(findSoundFont(std::nullopt), 22050); }
    static void TearDownTestSuite() { synth.reset(); }
    static Pcm render(const std::string& path) { return renderSong(*synth, readSongEvents(path)); }
    static std::string cut(const std::string& song, double quarters, const TempDir& dir) {
        CutRequest request = preparedRequest(song, 768 * quarters);
        request.destFolder = dir.path().string();
        return (preRead(song).format == 1 ? cutFormatOne(request) : cutFormatZero(request)).path;
    }
    static inline std::unique_ptr<Synth> synth;
};

TEST_F(Render, ACutEndsInSilenceWhereTheSongItselfPlaysOn) {
    const TempDir dir;
    for (const char* name : {"format1_band.mid", "format1_div96_plain.mid", "format0_tempo_volume.mid"}) {
        const std::string clip = cut(sample(name), 24, dir);
        const double end = readSongEvents(clip).lastEventSeconds;
        const Pcm audio = render(clip);
        EXPECT_LT(levelDb(audio, end + 0.5, 1e9), -60) << name;
        // The audio ends once the sound has died away, at most 2 s on.
        EXPECT_LE(audio.seconds(), end + Sequencer::kTailSeconds + 0.01) << name;
        // The same check on the song uncut fails: its notes go on.
        EXPECT_GT(levelDb(render(sample(name)), end + 0.5, end + 1.5), -60) << name;
    }
}

TEST_F(Render, TheFormatZeroFadeLowersTheLastTenth) {
    // An organ chord held for 40 s, with a neutral pitch bend every 31 ms:
    // the fade lowers the volume one step per event.
    Bytes events = cat({tempoEvent(500000), {0x00, 0xC0, 19, 0x00, 0x90, 60, 100, 0x00, 64, 100}});
    for (int k = 0; k < 1280; ++k) events.insert(events.end(), {30, 0xE0, 0x00, 0x40});
    const TempDir dir;
    const std::string song = dir.write("organ.mid", cat({header(0, 1, 480), track(cat({events, kEndOfTrack}))}));
    for (const double quarters : {12, 24, 36}) {
        const std::string clip = cut(song, quarters, dir);
        const double end = readSongEvents(clip).lastEventSeconds;
        const Pcm audio = render(clip);
        EXPECT_LT(levelDb(audio, end * 0.9, end, false), levelDb(audio, end * 0.8, end * 0.9, false) - 1) << quarters;
    }
    // Uncut, the chord holds its level.
    const Pcm whole = render(song);
    EXPECT_NEAR(levelDb(whole, 16.2, 18, false), levelDb(whole, 14.4, 16.2, false), 1);
}

TEST_F(Render, TwoRendersAreEqualSampleForSample) {
    const Pcm first = render(sample("format1_band.mid"));
    EXPECT_GT(first.seconds(), 40);
    EXPECT_EQ(render(sample("format1_band.mid")).samples, first.samples);
}

}  // namespace
}  // namespace quorvane::preview
