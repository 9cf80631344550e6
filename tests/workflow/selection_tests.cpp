#include "workflow_fixture.hpp"

namespace quorvane::test {
namespace {

class Selection : public WindowFixture {};

TEST_F(Selection, ASongsLengthFillsTheDisplayAndTheCutSlidersRange) {
    EXPECT_EQ(form.LabChoose, "30");
    songs.write("Long.mid", steadySong(1, 500000, 504));  // 252 s at 120 bpm
    openSource();
    form.ListMIDI_Click(indexOf("LONG.MID"));
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(form.LabDurataTempo, "04:12");
    EXPECT_EQ(segmento.Max(), 252);
    EXPECT_EQ(form.state.FileName, "LONG.MID");
    EXPECT_EQ(form.state.FilePath, (songs.path() / "Long.mid").string());
    EXPECT_EQ(form.state.Text9, form.state.FilePath);
    EXPECT_EQ(form.state.CutTime, 0);  // untouched by a selection

    segmento.SetValue(30);
    EXPECT_EQ(form.LabDurataTempo, "00:19");
    EXPECT_EQ(form.state.CutTime, 30000);
    choose.SetValue(5);
    EXPECT_EQ(form.LabChoose, "05");
}

TEST_F(Selection, NothingMovesWithoutACurrentFile) {
    segmento.SetValue(40);
    form.Image4_Click();  // CUT ONE
    EXPECT_EQ(form.state.CutTime, 0);
    EXPECT_EQ(form.LabDurataTempo, "");
    EXPECT_TRUE(out.names().empty());
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(Selection, AShortSongStillGetsAUsableRange) {
    songs.write("TINY.MID", steadySong(0, 500000, 1));  // half a second
    openSource();
    form.ListMIDI_Click(0);
    EXPECT_TRUE(messages.messages.empty()) << messages.messages.front();
    EXPECT_EQ(form.LabDurataTempo, "00:00");
    EXPECT_EQ(segmento.Max(), 1);
}

TEST_F(Selection, AnUnreadableFileIsReportedOnceAndIsNotCurrent) {
    songs.write("GOOD.MID", steadySong(0, 500000, 8));
    songs.write("BAD.MID", cat({header(0, 1, 96), track({0x00, 0x40})}));
    openSource();
    form.ListMIDI_Click(indexOf("GOOD.MID"));
    form.ListMIDI_Click(indexOf("BAD.MID"));
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].rfind("CANNOT READ MIDI FILE: ", 0), 0u) << messages.messages[0];
    EXPECT_NE(messages.messages[0].find("BAD.MID"), std::string::npos);
    EXPECT_EQ(form.state.FilePath, "");
    // The cut commands leave it alone; the program goes on.
    segmento.SetValue(3);
    form.Image4_Click();
    EXPECT_EQ(messages.messages.size(), 1u);
    form.ListMIDI_Click(indexOf("GOOD.MID"));
    EXPECT_EQ(form.LabDurataTempo, "00:04");
}

}  // namespace
}  // namespace quorvane::test
