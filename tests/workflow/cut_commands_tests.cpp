#include "workflow_fixture.hpp"

namespace quorvane::test {
namespace {

class CutCommands : public WindowFixture {
protected:
    std::string log() const {
        const Bytes bytes = readBytes(songs.file("Quorvane.log"));
        return std::string(bytes.begin(), bytes.end());
    }
};

TEST_F(CutCommands, CutOneCutsTheCurrentFileAtTheSliderPosition) {
    songs.write("Song.mid", steadySong(1, 500000, 64));
    openSource();
    picker.answers.push_back(out.path().string());
    form.Image2_Click();  // DEST
    form.ListMIDI_Click(0);
    form.Image4_Click();  // the slider is still at 0: nothing happens
    EXPECT_TRUE(out.names().empty());
    segmento.SetValue(5);
    form.Image4_Click();
    EXPECT_EQ(out.names(), std::vector<std::string>{"SONG-CUT.mid"});
    EXPECT_EQ(form.state.CutFilePath, (out.path() / "SONG-CUT.mid").string());
}

TEST_F(CutCommands, CutAllWritesTheLogLineBeforeEachCut) {
    songs.write("a.mid", steadySong(1, 500000, 504));   // 04:12 at 120 bpm
    songs.write("B.Mid", steadySong(0, 500000, 40));    // 00:20
    songs.write("cc.MID", steadySong(0, 1000000, 40));  // 00:40 at 60 bpm
    openSource();
    choose.SetValue(2);
    form.Image3_Click();
    EXPECT_TRUE(messages.messages.empty()) << messages.messages.front();
    // At 120 bpm position 4 reads 00:02; at 60 bpm position 2 does.
    EXPECT_EQ(log(),
              "1. A.MID: 04:12\tA-cut.mid:00:02 - Format: 1\r\n"
              "2. B.MID: 00:20\tB-cut.mid:00:02 - Format: 0\r\n"
              "3. CC.MID: 00:40\tCC-cut.mid:00:02 - Format: 0\r\n");
    EXPECT_EQ(form.LabNum, "Done!");
    EXPECT_EQ(segmento.Value(), 2);
    EXPECT_EQ(form.state.CutTime, 2000);
    EXPECT_EQ(songs.names(), (std::vector<std::string>{"B.Mid", "Quorvane.log", "a-CUT.mid", "a.mid", "b-cut.mid",
                                                        "cc-cut.mid", "cc.MID"}));
    EXPECT_EQ(pause.requested, (std::vector<int>{250, 250, 250}));
    EXPECT_EQ(pump.pumps, 3);

    // A second batch replaces the log.
    songs.write("a.mid", Bytes());  // now unreadable: the batch stops at the first file
    choose.SetValue(0);
    form.Image3_Click();
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_NE(messages.messages[0].find("a.mid"), std::string::npos);
    EXPECT_EQ(log(), "");
}

TEST_F(CutCommands, TheSearchStopsAtTheClipLengthOrTheEndOfTheRange) {
    songs.write("S.MID", steadySong(0, 500000, 200));
    openSource();
    // Clip length 0: "00:00" matches at once; the cut keeps the CutTime it had.
    choose.SetValue(0);
    form.Image3_Click();
    EXPECT_NE(log().find("S-cut.mid:00:00"), std::string::npos);
    EXPECT_EQ(segmento.Value(), 0);

    // 59 s is 90.6 steps at 120 bpm: position 91 reads 00:59; 00:60 never matches.
    choose.SetValue(59);
    form.Image3_Click();
    EXPECT_NE(log().find("S-cut.mid:00:59"), std::string::npos) << log();
    EXPECT_EQ(segmento.Value(), 91);

    // A range below 100 ends the search at its end.
    form.ListMIDI_Click(0);  // 100 s song: Max 100
    songs.write("S.MID", steadySong(0, 500000, 60));
    form.ListMIDI_Click(0);  // 30 s song: Max 30
    ASSERT_EQ(segmento.Max(), 30);
    form.Image3_Click();
    EXPECT_EQ(segmento.Value(), 30);
    EXPECT_NE(log().find("S-cut.mid:00:19"), std::string::npos) << log();
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(CutCommands, WhenNoPositionMatchesTheSearchRunsToTheEnd) {
    songs.write("FAST.MID", steadySong(0, 240000, 8));   // 250 bpm: position 100 reads 00:31
    songs.write("SLOW.MID", steadySong(0, 3000000, 8));  // 20 bpm: each step is 3.9 s
    openSource();
    choose.SetValue(59);
    form.Image3_Click();
    EXPECT_NE(log().find("FAST-cut.mid:00:31 - "), std::string::npos) << log();
    EXPECT_EQ(segmento.Value(), 100);
    choose.SetValue(5);  // 00:03, 00:07, ...: never 00:05 or 00:06
    form.Image3_Click();
    EXPECT_NE(log().find("SLOW-cut.mid:06:30 - "), std::string::npos) << log();
    EXPECT_EQ(segmento.Value(), 100);
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(CutCommands, ButtonsWaitForTheBatchAndExitStopsItWithTheLogKept) {
    songs.write("ONE.MID", steadySong(0, 500000, 40));
    songs.write("TWO.MID", steadySong(0, 500000, 40));
    openSource();
    choose.SetValue(3);
    pump.onPump = [&] {
        form.Image1_Click();  // ignored while the batch runs
        form.Image4_Click();
        form.ListMIDI_Click(1);  // ignored too
        segmento.SetValue(50);   // moves the display only: the logged position is cut
        form.requestExit();
    };
    form.Image3_Click();
    EXPECT_EQ(picker.requests.size(), 1u);
    EXPECT_EQ(form.state.FileName, "ONE.MID");
    EXPECT_EQ(form.state.CutTime, 5000);
    EXPECT_EQ(log(), "1. ONE.MID: 00:20\tONE-cut.mid:00:03 - Format: 0\r\n");
    EXPECT_EQ(songs.names(), (std::vector<std::string>{"ONE.MID", "Quorvane.log", "TWO.MID"}));
    EXPECT_FALSE(form.batchRunning());
}

TEST_F(CutCommands, ASliderMovedDuringTheBatchDoesNotChangeTheCut) {
    const Bytes song = steadySong(0, 500000, 40);
    songs.write("ONE.MID", song);
    openSource();
    choose.SetValue(3);
    pump.onPump = [&] { segmento.SetValue(50); };  // 32 s: past the song's end
    form.Image3_Click();
    EXPECT_LT(readBytes(songs.file("one-cut.mid")).size(), song.size() / 2);
}

TEST_F(CutCommands, AnEmptyListWritesNoLog) {
    openSource();
    form.Image3_Click();
    EXPECT_TRUE(songs.names().empty());
    EXPECT_EQ(form.LabFound, "0");
}

}  // namespace
}  // namespace quorvane::test
