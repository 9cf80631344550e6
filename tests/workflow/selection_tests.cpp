#include "engine/vlq.hpp"
#include "workflow_fixture.hpp"

namespace quorvane::test {
namespace {

class Selection : public WindowFixture {};

// The cut slider's steps (1000 music ticks each) cover the song exactly: its
// end cuts the whole song, and a thumb past a shorter song's end stands at it.
TEST_F(Selection, TheCutSliderSpansTheSongAndTheThumbIsWhereItCuts) {
    EXPECT_EQ(form.LabChoose, "30");
    songs.write("Long.mid", steadySong(1, 500000, 504));  // 252 s at 120 bpm, 387,072 music ticks
    songs.write("Slow.mid", steadySong(0, 1000000, 40));  // 40 s at 60 bpm, 30,720 music ticks
    openSource();
    form.ListMIDI_Click(indexOf("LONG.MID"));
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(form.LabDurataTempo, "04:12");
    EXPECT_EQ(segmento.Max(), 388);
    EXPECT_EQ(form.appState().FileName, "LONG.MID");
    EXPECT_EQ(form.appState().FilePath, (songs.path() / "Long.mid").string());
    EXPECT_EQ(form.appState().Text9, form.appState().FilePath);

    segmento.SetValue(1);
    EXPECT_EQ(form.appState().CutTime, 1000);
    segmento.SetValue(30);
    EXPECT_EQ(form.LabDurataTempo, "00:19");
    EXPECT_EQ(form.appState().CutTime, 30000);
    EXPECT_EQ(form.timeAtPosition(30), "00:19");
    segmento.SetValue(388);
    EXPECT_EQ(form.LabDurataTempo, "04:12");  // the end reads the song's length
    EXPECT_GE(form.appState().CutTime, 387072);

    form.ListMIDI_Click(indexOf("SLOW.MID"));
    EXPECT_EQ(segmento.Max(), 31);
    EXPECT_EQ(segmento.Value(), 31);
    EXPECT_EQ(form.appState().CutTime, 31000);
    EXPECT_EQ(form.LabDurataTempo, "00:40");
    EXPECT_EQ(form.timeAtPosition(31), "00:40");
    choose.SetValue(5);
    EXPECT_EQ(form.LabChoose, "05");
}

TEST_F(Selection, AShortSongStillGetsAUsableRange) {
    songs.write("TINY.MID", steadySong(0, 500000, 1));  // half a second
    openSource();
    form.ListMIDI_Click(0);
    EXPECT_TRUE(messages.messages.empty()) << messages.messages.front();
    EXPECT_EQ(form.LabDurataTempo, "00:00");
    EXPECT_EQ(segmento.Max(), 1);
    EXPECT_EQ(form.appState().CutTime, 0);  // the thumb at the start cuts nowhere
}

// The song's length is read at the tempo in effect 2000 music ticks in.
TEST_F(Selection, TheLengthIsReadAtTheTempoTwoThousandTicksIn) {
    const Vlq rest = encodeVlq(30720 - 2001);
    const Bytes tempo = tempoEvent(1000000);
    songs.write("LATE.MID", cat({header(0, 1, 768), track(cat({{0x8F, 0x51},
                                                               Bytes(tempo.begin() + 1, tempo.end()),
                                                               Bytes(rest.bytes().begin(), rest.bytes().end()),
                                                               {0xFF, 0x2F, 0x00}}))}));
    openSource();
    form.ListMIDI_Click(0);
    EXPECT_EQ(form.LabDurataTempo, "00:20");  // 40 quarters at 120, not at 60
}

TEST_F(Selection, AnUnreadableFileIsReportedOnceAndIsNotCurrent) {
    songs.write("GOOD.MID", steadySong(0, 500000, 8));
    songs.write("BAD.MID", cat({header(0, 1, 96), track({0x00, 0x40})}));
    openSource();
    form.ListMIDI_Click(indexOf("GOOD.MID"));
    segmento.SetValue(2);
    form.ListMIDI_Click(indexOf("BAD.MID"));
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].rfind("CANNOT READ MIDI FILE: ", 0), 0u) << messages.messages[0];
    EXPECT_NE(messages.messages[0].find("BAD.MID"), std::string::npos);
    // Nothing of the song before stays on show.
    EXPECT_EQ(form.appState().FilePath, "");
    EXPECT_EQ(form.LabDurataTempo, "");
    EXPECT_EQ(segmento.Max(), 100);
    EXPECT_EQ(segmento.Value(), 0);
    EXPECT_EQ(form.appState().CutTime, 0);
    // The cut commands leave it alone; the program goes on.
    segmento.SetValue(3);
    form.Image4_Click();
    EXPECT_EQ(messages.messages.size(), 1u);
    form.ListMIDI_Click(indexOf("GOOD.MID"));
    EXPECT_EQ(form.LabDurataTempo, "00:04");
}

// A song so long that its last step lies past what 32-bit music time holds:
// that position is refused with a message, and CUT ONE never cuts at it.
TEST_F(Selection, APositionPastTheMeasurableRangeIsRefused) {
    const Vlq delta = encodeVlq(2796202);  // at 1 tick per quarter: 2,147,483,136 music ticks
    Bytes events(delta.bytes().begin(), delta.bytes().end());
    events = cat({tempoEvent(500000), events, {0xFF, 0x2F, 0x00}});
    songs.write("HUGE.MID", cat({header(0, 1, 1), track(events)}));
    openSource();
    form.ListMIDI_Click(0);
    ASSERT_TRUE(messages.messages.empty()) << messages.messages.front();
    EXPECT_EQ(segmento.Max(), 2147484);
    segmento.SetValue(2147483);
    EXPECT_EQ(form.appState().CutTime, 2147483000.0);
    segmento.SetValue(2147484);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_NE(messages.messages[0].find("cut position 2147484"), std::string::npos) << messages.messages[0];
    EXPECT_EQ(form.LabDurataTempo, "");
    EXPECT_EQ(form.appState().CutTime, 0);
    form.Image4_Click();
    EXPECT_EQ(messages.messages.size(), 2u);
    EXPECT_EQ(songs.names(), std::vector<std::string>{"HUGE.MID"});
}

}  // namespace
}  // namespace quorvane::test
