#include "engine/pre_reader.hpp"
#include "engine_test_util.hpp"

namespace quorvane::test {
namespace {

class PreReader : public ::testing::Test {
protected:
    AppState read(const Bytes& bytes) {
        AppState state;
        state.FilePath = dir.write("SONG.MID", bytes);
        PreLeggi(state);
        return state;
    }
    std::string failure(const Bytes& bytes) {
        AppState state;
        state.FilePath = dir.write("BAD.MID", bytes);
        state.Tempo = 123;
        std::string message = expectFileError([&] { PreLeggi(state); });
        EXPECT_EQ(state.Tempo, 123u);  // a failed read changes nothing
        EXPECT_NE(message.find(state.FilePath), std::string::npos) << message;
        return message;
    }
    TempDir dir;
};

TEST_F(PreReader, FirstTempoGivesTempoDivisionAndTickLength) {
    AppState s = read(cat({header(1, 2, 480), track(cat({{0x00, 0xFF, 0x58, 0x04, 4, 2, 24, 8},
                                                          {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20}, kEndOfTrack}))}));
    EXPECT_TRUE(s.IsFormatOne);
    EXPECT_EQ(s.FormatText, "1");
    EXPECT_EQ(s.Tempo, 500000u);
    EXPECT_EQ(s.Division.value(), 120.0);
    EXPECT_EQ(s.TickMs, 1.0416666666666667);  // the correctly rounded quotient

    // A division of 30 is 7.5 sixteenths; the scan stops at the tempo, so the
    // second track (cut off here) is never read.
    s = read(cat({header(1, 2, 30), track(cat({tempoEvent(600000), kEndOfTrack})), {'M', 'T', 'r'}}));
    EXPECT_EQ(s.Division.value(), 7.5);
    EXPECT_EQ(s.TickMs, 600000.0 / 30000.0);
}

TEST_F(PreReader, SkipsEveryKindOfEventBeforeTheTempo) {
    const Bytes events = cat({
        {0x00, 0x90, 60, 100},                    // note on
        {0x10, 62, 100},                          // running status
        {0x81, 0x80, 0x80, 0x00, 0xC0, 5},        // four-byte delta, program change
        {0x00, 0xF0, 0x81, 0x00}, Bytes(128, 0x11),  // SysEx of 128 bytes, two-byte length
        {0x00, 0xF7, 0x02, 0xFF, 0x80},           // escape: its data is not a meta type
        {0x00, 0xF8, 0x00, 0xF2, 0x01, 0x02, 0x00, 0xF1, 0x03},  // stray system messages
        {0x00, 0xFF, 0x01, 0x81, 0x00}, Bytes(128, 'a'),         // long text event
        {0x00, 62},                               // running status (program change) survives meta and SysEx
        tempoEvent(400000), kEndOfTrack});
    AppState s = read(cat({header(0, 1, 96), track(events)}));
    EXPECT_FALSE(s.IsFormatOne);
    EXPECT_EQ(s.FormatText, "0");
    EXPECT_EQ(s.Tempo, 400000u);
}

TEST_F(PreReader, SkipsAlienChunksLongHeadersAndBytesAfterEndOfTrack) {
    const Bytes longHeader = cat({{'M', 'T', 'h', 'd'}, be32(8), {0, 1, 0, 2, 0x01, 0xE0, 0xAA, 0xBB}});
    AppState s = read(cat({longHeader, chunk("XFIH", {1, 2, 3}), track(cat({kEndOfTrack, {0x99, 0x99}})),
                           chunk("junk", {}), track(cat({tempoEvent(250000), kEndOfTrack}))}));
    EXPECT_EQ(s.Tempo, 250000u);
}

TEST_F(PreReader, WithoutTempoTheDefaultHoldsNotAnEarlierFilesValues) {
    AppState s;
    s.Tempo = 999999;
    s.TickMs = 7;
    s.FilePath = dir.write("NOTEMPO.MID", cat({header(2, 1, 96), track(cat({{0x00, 0x90, 1, 1}, kEndOfTrack}))}));
    PreLeggi(s);
    EXPECT_EQ(s.FormatText, "0");  // format 2 is not format 1
    EXPECT_EQ(s.Tempo, 500000u);
    EXPECT_EQ(s.Division.quarters, 96u);
    EXPECT_EQ(s.TickMs, 500000.0 / 96000.0);

    s = read(header(1, 0, 480));  // no tracks at all
    EXPECT_TRUE(s.IsFormatOne);
    EXPECT_EQ(s.Tempo, 500000u);
}

TEST_F(PreReader, ReadsTheWholeTrackCount) {
    Bytes file = header(1, 0x0103, 480);
    for (int k = 0; k < 0x0102; ++k) file = cat({file, track(kEndOfTrack)});
    AppState s = read(cat({file, track(cat({tempoEvent(300000), kEndOfTrack}))}));
    EXPECT_EQ(s.Tempo, 300000u);  // found in track 259
}

TEST_F(PreReader, UnplaceableInputIsAnErrorNamingFileAndReason) {
    const Bytes ok = cat({header(0, 1, 96), track(cat({tempoEvent(500000), kEndOfTrack}))});
    EXPECT_NE(failure(Bytes(ok.begin(), ok.begin() + 20)).find("ends early"), std::string::npos);
    EXPECT_NE(failure(cat({header(0, 1, 96), track(cat({{0x00, 0xFF, 0x85, 0x00}, kEndOfTrack}))}))
                  .find("meta event type 0x85"),
              std::string::npos);
    EXPECT_NE(failure(cat({header(0, 1, 96), track(cat({{0x00, 0x40, 0x40}, kEndOfTrack}))})).find("data byte 0x40"),
              std::string::npos);
    EXPECT_NE(failure(header(0, 1, 0)).find("division of 0"), std::string::npos);
    EXPECT_NE(failure(header(0, 1, 0xE728)).find("SMPTE"), std::string::npos);
    EXPECT_NE(failure(cat({header(0, 1, 96), track({0x00, 0xFF, 0x51, 0x02, 0x07, 0xA1})})).find("Set Tempo"),
              std::string::npos);
    EXPECT_NE(failure(cat({header(0, 1, 96), track(tempoEvent(0))})).find("Set Tempo of 0"), std::string::npos);
    EXPECT_NE(failure(cat({{'M', 'T', 'h', 'd'}, be32(5), {0, 0, 0, 1, 0}})).find("header length 5"),
              std::string::npos);
    EXPECT_NE(failure({'R', 'I', 'F', 'F', 0, 0, 0, 0}).find("not a Standard MIDI File"), std::string::npos);
    EXPECT_NE(failure(cat({header(0, 2, 96), track(kEndOfTrack)})).find("ends early"), std::string::npos);

    AppState missing;
    missing.FilePath = dir.file("NOPE.MID");
    expectFileError([&] { PreLeggi(missing); }, ErrorKind::CannotOpen);
}

}  // namespace
}  // namespace quorvane::test
