#include "engine_test_util.hpp"

namespace quorvane::test {
namespace {

// Pre-reads `source`, written as `name` and listed as SONG.MID, and cuts it at
// `cutTime` into `dest` (or beside the source); returns the cut file's bytes.
template <CutResult (*Cutter)(const CutRequest&)>
class CutFixture : public ::testing::Test {
protected:
    Bytes cut(const Bytes& source, double cutTime, const std::string& name = "Song.mid", bool intoDest = true) {
        request = preparedRequest(src.write(name, source), cutTime);
        request.listedName = "SONG.MID";
        request.destFolder = intoDest ? dest.path().string() : "";
        result = Cutter(request);
        return readBytes(result.path);
    }
    TempDir src, dest;
    CutRequest request;
    CutResult result;
};
using FormatOne = CutFixture<&cutFormatOne>;
using FormatZero = CutFixture<&cutFormatZero>;

const Bytes kClose0 = {0x00, 0xB0, 0x78, 0x00, 0x00, 0xFF, 0x2F, 0x00};
const Bytes kClose1 = {0x00, 0xB1, 0x78, 0x00, 0x00, 0xFF, 0x2F, 0x00};

TEST_F(FormatOne, CutsEveryTrackAtTheNextBarLine) {
    // 480 ticks per quarter at 120 bpm: CutTime 3840 is 2500 ms, 2400 ticks,
    // so the cut falls on the bar line at tick 3840.
    const Bytes tempoTrack = cat({tempoEvent(500000), {0xCE, 0x10, 0xFF, 0x2F, 0x00}});  // EoT at 10000
    const Bytes instrument = cat({{0x00, 0xC1, 0x05},
                                  {0x01, 0xF8},                 // clock byte: dropped, its time kept
                                  {0x9D, 0x7E, 0x91, 60, 100},  // tick 3839: kept
                                  {0x01, 0x81, 60, 0},          // tick 3840: dropped
                                  kEndOfTrack});
    const Bytes textOnly = cat({{0x00, 0xFF, 0x03, 0x01, 'x'}, {0xA7, 0x08, 0xFF, 0x2F, 0x00}});  // EoT at 5000
    const Bytes late = cat({{0x9F, 0x20, 0x92, 1, 1}, kEndOfTrack});                              // first event at 4000
    const Bytes out =
        cut(cat({header(1, 4, 480), track(tempoTrack), track(instrument), track(textOnly), track(late)}), 3840);
    const Bytes expected = cat({header(1, 4, 480), track(cat({tempoEvent(500000), kClose0})),
                                track(cat({{0x00, 0xC1, 0x05, 0x9D, 0x7F, 0x91, 60, 100}, kClose1})),
                                track(cat({{0x00, 0xFF, 0x03, 0x01, 'x'}, kClose1})), track(kClose1)});
    EXPECT_EQ(out, expected);
    EXPECT_EQ(result.path, (dest.path() / "SONG-CUT.mid").string());
}

TEST_F(FormatOne, APositionOnABarLineMovesToTheNextOne) {
    // 96 ticks per quarter: CutTime 384000 is exactly 48000 ticks, bar 125.
    const Bytes events = cat({{0x82, 0xF7, 0x00, 0x90, 1, 1},  // tick 48000
                              {0x82, 0x7F, 0x80, 1, 0},        // tick 48383
                              {0x01, 0x90, 2, 2},
                              kEndOfTrack});  // tick 48384
    const Bytes out = cut(cat({header(1, 1, 96), track(cat({tempoEvent(500000), events}))}), 384000);
    EXPECT_EQ(out, cat({header(1, 1, 96),
                        track(cat({tempoEvent(500000), Bytes(events.begin(), events.begin() + 11), kClose0}))}));
}

TEST_F(FormatOne, BeyondTheEndTracksAreCopiedAndTheHeaderRebuilt) {
    const Bytes rich = cat({{0x00, 0x90, 60, 100},
                            {0x81, 0x80, 0x80, 0x00, 61, 100},  // running status, 4-byte delta
                            {0x00, 0xF0, 0x81, 0x00},
                            Bytes(128, 0x11),                // long SysEx
                            {0x00, 0xF7, 0x02, 0xFF, 0x80},  // SysEx escape
                            {0x00, 0xFF, 0x09, 0x81, 0x01},
                            Bytes(129, 'd'),  // long Device Name
                            {0x00, 62, 100},
                            kEndOfTrack});
    const Bytes tracks = cat({track(cat({tempoEvent(500000), kEndOfTrack})), track(rich)});
    EXPECT_EQ(cut(cat({header(1, 2, 480), tracks}), 100000000), cat({header(1, 2, 480), tracks}));

    // A longer header, an alien chunk and bytes after an End of Track do not reach the copy.
    const Bytes odd = cat({{'M', 'T', 'h', 'd'},
                           be32(7),
                           {0, 1, 0, 2, 0x01, 0xE0, 0x77},
                           chunk("XFIH", {1, 2}),
                           track(cat({tempoEvent(500000), kEndOfTrack, {0xEE, 0xEE}})),
                           track(rich)});
    EXPECT_EQ(cut(odd, 100000000), cat({header(1, 2, 480), tracks}));
}

TEST_F(FormatOne, KeepsTheWholeTrackCountAndWritesBesideTheSource) {
    Bytes file = header(1, 0x0103, 480);
    for (int k = 0; k < 0x0103; ++k) file = cat({file, track(cat({tempoEvent(500000), kEndOfTrack}))});
    const Bytes out = cut(file, 1000, "Song.mid", false);
    EXPECT_EQ(out, file);
    EXPECT_EQ(result.path, (src.path() / "Song-CUT.mid").string());
}

// The robustness suite checks what a failed cut leaves behind; here, the
// cut that has no tempo to place it.
TEST_F(FormatOne, WithoutAPreReadThereIsNoTempoToPlaceTheCut) {
    CutRequest fresh;
    fresh.source = src.write("Song.mid", cat({header(1, 1, 480), track(kEndOfTrack)}));
    fresh.cutTicks = 1000;
    expectFileError([&] { cutFormatOne(fresh); }, ErrorKind::NotPrepared);
}

// 100 ticks per quarter at 60 bpm: 10 ms per tick. CutTime 7680 is ten
// quarter notes: the cut at 10000 ms (tick 1000), the fade from 9000 ms (tick 900).
constexpr double kCutAtTick1000 = 7680;

Bytes silenceAll() {
    Bytes out;
    for (std::uint8_t k = 0; k < 16; ++k) out.insert(out.end(), {k, std::uint8_t(0xB0 + k), 0x78, 0x00});
    return cat({out, kEndOfTrack});
}

Bytes fade(std::uint8_t channel, std::uint8_t volume) { return {0x00, std::uint8_t(0xB0 + channel), 0x07, volume}; }

Bytes zeroSong(const Bytes& events) { return cat({header(0, 1, 100), track(cat({tempoEvent(1000000), events}))}); }

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
    const Bytes out = cut(zeroSong(events), kCutAtTick1000);
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
    Bytes out = cut(zeroSong(events), kCutAtTick1000);
    EXPECT_EQ(Bytes(out.end() - 85, out.end() - 81), (Bytes{0x00, 0xB3, 0x07, 39}));
    EXPECT_EQ(result.channelVolumes[3], 60);

    // The next cut starts again from the default volume.
    out = cut(zeroSong(cat({{0x87, 0x0E, 0x93, 60, 100}, {0x64, 0x83, 60, 0}, kEndOfTrack})), kCutAtTick1000);
    EXPECT_EQ(Bytes(out.end() - 77, out.end() - 73), fade(3, 99));
}

TEST_F(FormatZero, ATempoChangeMovesTheCutAndStays) {
    const Bytes events = cat({{0x83, 0x74, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20},  // tick 500: 500000
                              {0x0A, 0x90, 1, 1},
                              kEndOfTrack});  // 5050 ms: past the new cut
    const Bytes out = cut(zeroSong(events), kCutAtTick1000);
    EXPECT_EQ(out, cat({header(0, 1, 100),
                        track(cat({tempoEvent(1000000), Bytes(events.begin(), events.begin() + 8), silenceAll()}))}));
    ASSERT_TRUE(result.tempo);
    EXPECT_EQ(result.tempo->tempo, 500000u);
    EXPECT_EQ(result.tempo->division, 100u);
    EXPECT_EQ(result.tempo->tickMs, 5.0);
}

// A song ending before the fade is copied as it is, but for stray system
// bytes (later events keep their time); extra header bytes, chunks of another
// kind and further tracks stay behind. The name is the listed one's.
TEST_F(FormatZero, ASongEndingBeforeTheFadeKeepsOnlyItsTrackAndEvents) {
    const Bytes whole = zeroSong(cat({{0x00, 0xFF, 0x09, 0x03, 'd', 'e', 'v'},  // Device Name
                                      {0x00, 0xF7, 0x02, 0xFF, 0x80},           // SysEx escape
                                      {0x00, 0xF0, 0x81, 0x00},
                                      Bytes(128, 0x22),  // long SysEx
                                      {0x00, 0xFF, 0x7F, 0x81, 0x02},
                                      Bytes(130, 0x33),  // long sequencer-specific
                                      {0x0A, 0x90, 1, 1},
                                      {0x0A, 1, 0},
                                      kEndOfTrack}));
    const Bytes body = cat({tempoEvent(1000000), kEndOfTrack});
    const std::pair<Bytes, Bytes> cases[] = {
        {whole, whole},
        {zeroSong(cat({{0x05, 0xF8, 0x05, 0xF3, 0x01, 0x05, 0xF1, 0x01, 0x05, 0xF2, 0x01, 0x02, 0x05, 0x90, 1, 1},
                       kEndOfTrack})),
         zeroSong(cat({{0x19, 0x90, 1, 1}, kEndOfTrack}))},
        {cat({header(0, 2, 100), track(body), track(body)}), zeroSong(kEndOfTrack)},
        {cat({{'M', 'T', 'h', 'd'}, be32(9), {0, 0, 0, 1, 0, 100, 7, 7, 7}, chunk("XFIH", {1, 2, 3}), track(body)}),
         zeroSong(kEndOfTrack)},
    };
    for (const auto& [source, expected] : cases) {
        EXPECT_EQ(cut(source, kCutAtTick1000 * 10, "Tune.MID"), expected);
        EXPECT_FALSE(result.insideSong);
    }
    EXPECT_EQ(dest.names(), std::vector<std::string>{"song-cut.mid"});
}

// What a failed cut leaves behind is the robustness suite's to check.
TEST_F(FormatZero, RefusesFormatTwoAndSaysWhere) {
    request = preparedRequest(src.write("Two.mid", cat({header(2, 1, 100), track(kEndOfTrack)})), 1000);
    EXPECT_NE(expectFileError([&] { cutFormatZero(request); }).find("format 2 is not supported (at byte 8)"),
              std::string::npos);
}

}  // namespace
}  // namespace quorvane::test
