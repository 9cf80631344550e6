#include "engine/pre_reader.hpp"
#include "engine_test_util.hpp"

namespace quorvane::test {
namespace {

class PreReader : public ::testing::Test {
protected:
    SongHeader read(const Bytes& bytes) { return preRead(dir.write("SONG.MID", bytes)); }
    std::string failure(const Bytes& bytes) {
        const std::string path = dir.write("BAD.MID", bytes);
        std::string message = expectFileError([&] { preRead(path); });
        EXPECT_NE(message.find(path), std::string::npos) << message;
        return message;
    }
    TempDir dir;
};

TEST_F(PreReader, FirstTempoGivesTempoDivisionAndTickLength) {
    SongHeader s = read(cat({header(1, 2, 480), track(cat({{0x00, 0xFF, 0x58, 0x04, 4, 2, 24, 8},
                                                           {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20},
                                                           kEndOfTrack}))}));
    EXPECT_EQ(s.format, 1);
    EXPECT_EQ(s.tempo, 500000u);
    EXPECT_EQ(s.division, 480u);
    EXPECT_EQ(s.tickMs, 1.0416666666666667);  // the correctly rounded quotient

    // The scan stops at the tempo, so the second track (cut off here) is never read.
    s = read(cat({header(1, 2, 30), track(cat({tempoEvent(600000), kEndOfTrack})), {'M', 'T', 'r'}}));
    EXPECT_EQ(s.division, 30u);
    EXPECT_EQ(s.tickMs, 600000.0 / 30000.0);
}

TEST_F(PreReader, SkipsEveryKindOfEventBeforeTheTempo) {
    const Bytes events = cat({{0x00, 0x90, 60, 100},              // note on
                              {0x10, 62, 100},                    // running status
                              {0x81, 0x80, 0x80, 0x00, 0xC0, 5},  // four-byte delta, program change
                              {0x00, 0xF0, 0x81, 0x00},
                              tempoEvent(1),
                              Bytes(121, 0x11),                // SysEx of 128 bytes, not read as events
                              {0x00, 0xF7, 0x02, 0xFF, 0x80},  // escape: its data is not a meta type
                              {0x00, 0xF8, 0x00, 0xF2, 0x01, 0x02, 0x00, 0xF1, 0x03},  // stray system messages
                              {0x00, 0xFF, 0x01, 0x81, 0x00},
                              Bytes(128, 'a'),  // long text event
                              {0x00, 62},       // running status (program change) survives meta and SysEx
                              tempoEvent(400000),
                              kEndOfTrack});
    SongHeader s = read(cat({header(0, 1, 96), track(events)}));
    EXPECT_EQ(s.format, 0);
    EXPECT_EQ(s.tempo, 400000u);
}

TEST_F(PreReader, SkipsWhatIsNotATrackAndReadsEveryTrackUntilATempo) {
    const Bytes longHeader = cat({{'M', 'T', 'h', 'd'}, be32(8), {0, 1, 0, 2, 0x01, 0xE0, 0xAA, 0xBB}});
    Bytes many = header(1, 0x0103, 480);  // a track count above 255
    for (int k = 0; k < 0x0102; ++k) many = cat({many, track(kEndOfTrack)});
    const std::pair<Bytes, std::tuple<int, std::uint32_t, std::uint32_t>> cases[] = {
        {cat({longHeader, chunk("XFIH", {1, 2, 3}), track(cat({kEndOfTrack, {0x99, 0x99}})), chunk("junk", {}),
              track(cat({tempoEvent(250000), kEndOfTrack}))}),
         {1, 250000, 480}},
        {cat({many, track(cat({tempoEvent(300000), kEndOfTrack}))}), {1, 300000, 480}},
        // Without a tempo the default holds.
        {cat({header(2, 1, 96), track(cat({{0x00, 0x90, 1, 1}, kEndOfTrack}))}), {2, 500000, 96}},
        {header(1, 0, 480), {1, 500000, 480}},
    };
    for (const auto& [bytes, expected] : cases) {
        const SongHeader s = read(bytes);
        EXPECT_EQ(std::make_tuple(s.format, s.tempo, s.division), expected);
        EXPECT_EQ(s.tickMs, std::get<1>(expected) / (std::get<2>(expected) * 1000.0));
    }
}

TEST_F(PreReader, UnplaceableInputIsAnErrorNamingFileAndReason) {
    const Bytes ok = cat({header(0, 1, 96), track(cat({tempoEvent(500000), kEndOfTrack}))});
    const std::pair<Bytes, const char*> cases[] = {
        {Bytes(ok.begin(), ok.begin() + 20), "ends early"},
        {cat({header(0, 1, 96), track(cat({{0x00, 0xFF, 0x85, 0x00}, kEndOfTrack}))}), "meta event type 0x85"},
        {cat({header(0, 1, 96), track(cat({{0x00, 0x40, 0x40}, kEndOfTrack}))}), "data byte 0x40"},
        {header(0, 1, 0), "division of 0"},
        {header(0, 1, 0xE728), "SMPTE"},
        {cat({header(0, 1, 96), track({0x00, 0xFF, 0x51, 0x02, 0x07, 0xA1})}), "Set Tempo"},
        {cat({header(0, 1, 96), track(tempoEvent(0))}), "Set Tempo of 0"},
        {cat({{'M', 'T', 'h', 'd'}, be32(5), {0, 0, 0, 1, 0}}), "header length 5"},
        {{'R', 'I', 'F', 'F', 0, 0, 0, 0}, "not a Standard MIDI File"},
        {cat({header(0, 2, 96), track(kEndOfTrack)}), "ends early"},
        // An event may not run on into the next chunk.
        {cat({header(0, 1, 96), track({0x00, 0xFF, 0x51, 0x03, 0x07}), chunk("XTRA", {0xA1, 0x20, 0, 0})}),
         "ends inside an event"},
    };
    for (const auto& [bytes, reason] : cases) {
        const std::string message = failure(bytes);
        EXPECT_NE(message.find(reason), std::string::npos) << message;
    }
    expectFileError([&] { preRead(dir.file("NOPE.MID")); }, ErrorKind::CannotOpen);
}

}  // namespace
}  // namespace quorvane::test
