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

}  // namespace
}  // namespace quorvane::test
