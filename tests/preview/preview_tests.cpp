// The audio preview. A clip's silence after its end and its fade are heard
// by the mido checks (check_cuts.py render); the length of each preview a
// batch writes is cli_tests.cpp's.
#include "engine_test_util.hpp"
#include "preview/render.hpp"
#include "preview/soundfont.hpp"

namespace quorvane::preview {
namespace {

// One synthesizer renders the song twice: nothing of the first render may
// linger into the second.
TEST(Render, TwoRendersAreEqualSampleForSample) {
    Synth synth(findSoundFont(std::nullopt), 22050);
    const std::string song = std::string(QUORVANE_SAMPLES) + "/format1_band.mid";
    const Pcm first = renderSong(synth, readSongEvents(song));
    EXPECT_GT(first.seconds(), 40);
    EXPECT_EQ(renderSong(synth, readSongEvents(song)).samples, first.samples);
}

}  // namespace
}  // namespace quorvane::preview
