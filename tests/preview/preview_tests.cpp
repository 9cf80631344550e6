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
    const auto render = [&] {
        std::vector<float> samples;
        renderSong(synth, readSongEvents(song), [&](const float* block, int frames) {
            samples.insert(samples.end(), block, block + 2 * frames);
        });
        return samples;
    };
    const std::vector<float> first = render();
    EXPECT_GT(first.size(), 2u * 40 * 22050);
    EXPECT_EQ(render(), first);
}

}  // namespace
}  // namespace quorvane::preview
