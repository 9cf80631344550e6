#include "engine/cutters.hpp"
#include "engine/pre_reader.hpp"
#include "engine_test_util.hpp"

namespace quorvane::test {
namespace {

// 100 ticks per quarter at 60 bpm: 10 ms per tick. CutTime 7680 is ten
// quarter notes: the cut at 10000 ms (tick 1000), the fade from 9000 ms (tick 900).
constexpr double kCutAtTick1000 = 7680;

Bytes silenceAll() {
    Bytes out;
    for (std::uint8_t k = 0; k < 16; ++k) out.insert(out.end(), {k, std::uint8_t(0xB0 + k), 0x78, 0x00});
    return cat({out, kEndOfTrack});
}

Bytes fade(std::uint8_t channel, std::uint8_t volume) { return {0x00, std::uint8_t(0xB0 + channel), 0x07, volume}; }

class FormatZero : public ::testing::Test {
protected:
    Bytes cut(const Bytes& source, double cutTime, const std::string& name = "Song.mid") {
        request = preparedRequest(src.write(name, source), cutTime);
        request.listedName = "SONG.MID";
        request.destFolder = dest.path().string();
        result = cutFormatZero(request);
        return readBytes(result.path);
    }
    static Bytes song(const Bytes& events) {
        return cat({header(0, 1, 100), track(cat({tempoEvent(1000000), events}))});
    }

    TempDir src, dest;
    CutRequest request;
    CutResult result;
};

TEST_F(FormatZero, FadesTheLastTenthAndSilencesEveryChannelAtTheCut) {
    const Bytes events = cat({{0x86, 0x52, 0x93, 60, 100},    // tick 850: before the fade
                              {0x0A, 63, 100},                // 860, running status, no fade yet
                              {0x32, 0x93, 61, 100},          // 910
                              {0x0A, 62, 100},                // 920, running status after a fade
                              {0x0A, 0xFF, 0x01, 0x01, 'x'},  // 930, meta
                              {0x0A, 0xF0, 0x01, 0xF7},       // 940, SysEx
                              {0x32, 0x95, 1, 1},             // 990, a channel never given a volume
                              {0x14, 0x83, 60, 0},
                              kEndOfTrack});  // 1010: past the cut
    const Bytes out = cut(song(events), kCutAtTick1000);
    const Bytes body = cat({tempoEvent(1000000),
                            {0x86, 0x52, 0x93, 60, 100, 0x0A, 63, 100},
                            fade(3, 99),
                            {0x32, 0x93, 61, 100},
                            fade(3, 98),
                            {0x0A, 0x93, 62, 100},  // status byte restored
                            fade(15, 97),
                            {0x0A, 0xFF, 0x01, 0x01, 'x'},
                            fade(0, 96),
                            {0x0A, 0xF0, 0x01, 0xF7},
                            fade(5, 95),
                            {0x32, 0x95, 1, 1},
                            silenceAll()});
    EXPECT_EQ(out, cat({header(0, 1, 100), track(body)}));
    EXPECT_EQ(result.path, (dest.path() / "song-cut.mid").string());
    EXPECT_TRUE(result.insideSong);
}

TEST_F(FormatZero, FadesFromTheVolumesOfThisFileOnly) {
    const Bytes events = cat({{0x00, 0xB3, 0x07, 50},
                              {0x00, 0x07, 40},             // running-status volume counts
                              {0x87, 0x0E, 0x93, 60, 100},  // tick 910
                              {0x00, 0xB3, 0x07, 60},       // a volume in the fade counts too
                              {0x64, 0x83, 60, 0},
                              kEndOfTrack});
    Bytes out = cut(song(events), kCutAtTick1000);
    EXPECT_EQ(Bytes(out.end() - 85, out.end() - 81), (Bytes{0x00, 0xB3, 0x07, 39}));
    EXPECT_EQ(result.channelVolumes[3], 60);

    // The next cut starts again from the default volume.
    out = cut(song(cat({{0x87, 0x0E, 0x93, 60, 100}, {0x64, 0x83, 60, 0}, kEndOfTrack})), kCutAtTick1000);
    EXPECT_EQ(Bytes(out.end() - 77, out.end() - 73), fade(3, 99));
}

TEST_F(FormatZero, ASongEndingBeforeTheFadeIsCopiedWhole) {
    const Bytes events = cat({{0x00, 0xFF, 0x09, 0x03, 'd', 'e', 'v'},  // Device Name
                              {0x00, 0xF7, 0x02, 0xFF, 0x80},           // SysEx escape
                              {0x00, 0xF0, 0x81, 0x00},
                              Bytes(128, 0x22),  // long SysEx
                              {0x00, 0xFF, 0x7F, 0x81, 0x02},
                              Bytes(130, 0x33),  // long sequencer-specific
                              {0x0A, 0x90, 1, 1},
                              {0x0A, 1, 0},
                              kEndOfTrack});
    const Bytes source = song(events);
    EXPECT_EQ(cut(source, kCutAtTick1000 * 10, "Tune.MID"), source);
    EXPECT_FALSE(result.insideSong);
    EXPECT_EQ(dest.names(), std::vector<std::string>{"song-cut.mid"});
}

TEST_F(FormatZero, ATempoChangeMovesTheCutAndStays) {
    const Bytes events = cat({{0x83, 0x74, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20},  // tick 500: 500000
                              {0x0A, 0x90, 1, 1},
                              kEndOfTrack});  // 5050 ms: past the new cut
    const Bytes out = cut(song(events), kCutAtTick1000);
    EXPECT_EQ(out, cat({header(0, 1, 100),
                        track(cat({tempoEvent(1000000), Bytes(events.begin(), events.begin() + 8), silenceAll()}))}));
    ASSERT_TRUE(result.tempo);
    EXPECT_EQ(result.tempo->tempo, 500000u);
    EXPECT_EQ(result.tempo->division, 100u);
    EXPECT_EQ(result.tempo->tickMs, 5.0);
}

TEST_F(FormatZero, DropsStrayBytesWithoutMovingLaterEvents) {
    const Bytes out = cut(song(cat({{0x05, 0xF8},
                                    {0x05, 0xF3, 0x01},
                                    {0x05, 0xF1, 0x01},
                                    {0x05, 0xF2, 0x01, 0x02},
                                    {0x05, 0x90, 1, 1},
                                    kEndOfTrack})),
                          100000);
    EXPECT_EQ(out, song(cat({{0x19, 0x90, 1, 1}, kEndOfTrack})));
}

TEST_F(FormatZero, WritesTheStandardHeaderAndOneTrack) {
    const Bytes body = cat({tempoEvent(1000000), kEndOfTrack});
    EXPECT_EQ(cut(cat({header(0, 2, 100), track(body), track(body)}), 100000), cat({header(0, 1, 100), track(body)}));
    // Extra header bytes and a chunk of another kind before the track stay behind.
    const Bytes odd =
        cat({{'M', 'T', 'h', 'd'}, be32(9), {0, 0, 0, 1, 0, 100, 7, 7, 7}, chunk("XFIH", {1, 2, 3}), track(body)});
    EXPECT_EQ(cut(odd, 100000), cat({header(0, 1, 100), track(body)}));
}

TEST_F(FormatZero, UnsupportedFormatsAndBrokenFilesWriteNothing) {
    request = preparedRequest(
        src.write("Two.mid", cat({header(2, 1, 100), track(cat({tempoEvent(1000000), kEndOfTrack}))})), 1000);
    request.destFolder = dest.path().string();
    EXPECT_NE(expectFileError([&] { cutFormatZero(request); }).find("format 2 is not supported (at byte 8)"),
              std::string::npos);

    src.write("Two.mid", song({0x00, 0x90, 1, 1, 0x00, 0xFF}));
    expectFileError([&] { cutFormatZero(request); });
    EXPECT_TRUE(dest.names().empty());
}

}  // namespace
}  // namespace quorvane::test
