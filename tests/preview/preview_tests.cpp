// The audio preview. What a clip holds at its end (the fade, the silence) is
// the cutters' tests'; the length of each preview a batch writes is
// cli_tests.cpp's, the sound the window plays window_test.cpp's.
#include "engine_test_util.hpp"
#include "heap_meter.hpp"
#include "preview/audio_file.hpp"
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
        renderSong(synth, readSongEvents(song),
                   [&](const float* block, int frames) { samples.insert(samples.end(), block, block + 2 * frames); });
        return samples;
    };
    const std::vector<float> first = render();
    EXPECT_GT(first.size(), 2u * 40 * 22050);
    EXPECT_EQ(render(), first);
}

// The audio goes to the file as it is rendered: ten minutes of a song take no
// more memory than one second, and the WAV header, written first, gets its
// sizes once the song has ended.
TEST(Render, ALongSongTakesTheMemoryOfAShortOne) {
    Synth synth(findSoundFont(std::nullopt), 22050);
    test::TempDir dir;
    std::size_t held[2] = {};
    for (const int k : {0, 1}) {
        SongEvents silence;
        silence.lastEventSeconds = k == 0 ? 1 : 600;
        const std::string wav = dir.file(std::to_string(k) + ".wav");
        const std::size_t before = bench::liveHeapBytes();
        bench::resetHeapPeak();
        const std::uint64_t frames = writeAudio(synth, silence, wav, AudioFormat::Wav);
        held[k] = bench::peakHeapBytes() - before;
        EXPECT_GE(frames, static_cast<std::uint64_t>(silence.lastEventSeconds * 22050));

        std::ifstream file(pathFromUtf8(wav), std::ios::binary);
        unsigned char head[44] = {};
        file.read(reinterpret_cast<char*>(head), sizeof head);
        const auto le32 = [&](int at) {
            return static_cast<std::uint64_t>(head[at] | head[at + 1] << 8 | head[at + 2] << 16) |
                   static_cast<std::uint64_t>(head[at + 3]) << 24;
        };
        const std::uint64_t size = std::filesystem::file_size(pathFromUtf8(wav));
        EXPECT_EQ(std::string(head, head + 4), "RIFF");
        EXPECT_EQ(le32(4), size - 8);
        EXPECT_EQ(std::string(head + 36, head + 40), "data");
        EXPECT_EQ(le32(40), frames * 4);  // two channels of 16 bits
        EXPECT_EQ(size, 44 + frames * 4);
    }
    EXPECT_LT(held[1], held[0] + 64 * 1024) << held[0] << " bytes for a second, " << held[1] << " for ten minutes";
}

}  // namespace
}  // namespace quorvane::preview
