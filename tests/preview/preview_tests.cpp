#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "engine_test_util.hpp"
#include "preview/render.hpp"
#include "preview/soundfont.hpp"

namespace quorvane::preview {
namespace {

using test::preparedRequest;
using test::TempDir;

std::string sample(const char* name) { return std::string(QUORVANE_SAMPLES) + "/" + name; }

// Levels in dBFS over [from, to) seconds of the audio (to: its end at most).
double peakDb(const Pcm& pcm, double from, double to) {
    const auto a = std::min(pcm.samples.size(), 2 * static_cast<std::size_t>(from * pcm.sampleRate));
    const auto b = std::min(pcm.samples.size(), 2 * static_cast<std::size_t>(to * pcm.sampleRate));
    float peak = 0;
    for (std::size_t k = a; k < b; ++k) peak = std::max(peak, std::fabs(pcm.samples[k]));
    return 20 * std::log10(std::max(peak, 1e-9f));
}
double rmsDb(const Pcm& pcm, double from, double to) {
    const auto a = 2 * static_cast<std::size_t>(from * pcm.sampleRate);
    const auto b = 2 * static_cast<std::size_t>(to * pcm.sampleRate);
    double sum = 0;
    for (std::size_t k = a; k < b; ++k) sum += double{pcm.samples[k]} * pcm.samples[k];
    return 10 * std::log10(std::max(sum / static_cast<double>(b - a), 1e-18));
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
        CutRequest request = preparedRequest(sample(name), 768 * 24);
        request.destFolder = dir.path().string();
        const bool formatOne = name[6] == '1';
        const std::string cut = (formatOne ? cutFormatOne(request) : cutFormatZero(request)).path;
        const double end = readSongEvents(cut).lastEventSeconds;
        const Pcm clip = render(cut);
        EXPECT_LT(peakDb(clip, end + 0.5, 1e9), -60) << name;
        // The audio ends once the sound has died away, at most 2 s on.
        EXPECT_LE(clip.seconds(), end + Sequencer::kTailSeconds + 0.01) << name;
        // The same check on the song uncut fails: its notes go on.
        EXPECT_GT(peakDb(render(sample(name)), end + 0.5, end + 1.5), -60) << name;
    }
}

TEST_F(Render, TheFormatZeroFadeLowersTheLastTenth) {
    // An organ chord held for 40 s, with a neutral pitch bend every 31 ms:
    // the fade lowers the volume one step per event.
    test::Bytes events = test::cat({test::tempoEvent(500000), {0x00, 0xC0, 19, 0x00, 0x90, 60, 100, 0x00, 64, 100}});
    for (int k = 0; k < 1280; ++k) events.insert(events.end(), {30, 0xE0, 0x00, 0x40});
    const TempDir dir;
    const std::string song = dir.write(
        "organ.mid", test::cat({test::header(0, 1, 480), test::track(test::cat({events, test::kEndOfTrack}))}));
    for (const double quarters : {12, 24, 36}) {
        CutRequest request = preparedRequest(song, 768 * quarters);
        request.destFolder = dir.path().string();
        const std::string cut = cutFormatZero(request).path;
        const double end = readSongEvents(cut).lastEventSeconds;
        const Pcm clip = render(cut);
        const double fade = rmsDb(clip, end * 0.9, end), before = rmsDb(clip, end * 0.8, end * 0.9);
        EXPECT_LT(fade, before - 1) << quarters << " quarter notes";
    }
    // Uncut, the chord holds its level.
    const Pcm whole = render(song);
    EXPECT_NEAR(rmsDb(whole, 16.2, 18), rmsDb(whole, 14.4, 16.2), 1);
}

TEST_F(Render, TwoRendersAreEqualSampleForSample) {
    const Pcm first = render(sample("format1_band.mid"));
    EXPECT_GT(first.seconds(), 40);
    EXPECT_EQ(render(sample("format1_band.mid")).samples, first.samples);
}

}  // namespace
}  // namespace quorvane::preview
