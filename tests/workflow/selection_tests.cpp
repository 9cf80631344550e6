#include "engine/cut_points.hpp"
#include "platform/text.hpp"
#include "workflow_fixture.hpp"

namespace quorvane::test {
namespace {

using namespace std::string_literals;

class Selection : public WindowFixture {};

// The cut slider's steps (1000 music ticks each) cover the song exactly. A
// song chosen starts whole, the thumb at its end; from then on TIME is the
// clip CUT ONE writes, wherever the thumb goes.
TEST_F(Selection, TheCutSliderSpansTheSongAndTimeIsTheClipCutOneWrites) {
    EXPECT_EQ(form.LabChoose, "30");
    songs.write("Long.mid", steadySong(1, 500000, 504));  // 252 s at 120 bpm, 387,072 music ticks
    songs.write("Slow.mid", steadySong(0, 1000000, 40));  // 40 s at 60 bpm, 30,720 music ticks
    songs.write("TINY.MID", steadySong(0, 500000, 1));    // half a second
    openSource();
    segmento.SetValue(5);  // moved before any song: nothing to show
    EXPECT_EQ(form.LabDurataTempo, "");
    form.ListMIDI_Click(indexOf("LONG.MID"));
    EXPECT_EQ(segmento.Max(), 388);
    EXPECT_EQ(segmento.Value(), 388);
    EXPECT_EQ(form.appState().CutTick, kWholeSong);
    EXPECT_EQ(form.LabDurataTempo, "04:12");
    EXPECT_EQ(form.appState().FileName, "LONG.MID");
    EXPECT_EQ(form.appState().FilePath, (songs.path() / "Long.mid").string());
    EXPECT_EQ(form.appState().Text9, form.appState().FilePath);

    // Format 1: the time shown is that of the bar line where the clip ends.
    for (const auto& [value, cutTick, shown] : {std::tuple{1, std::uint64_t{1920}, "00:02"},
                                                {30, 19200, "00:20"},
                                                {0, 0, "00:00"},
                                                {388, kWholeSong, "04:12"}}) {
        segmento.SetValue(value);
        EXPECT_EQ(form.appState().CutTick, cutTick);
        EXPECT_EQ(form.LabDurataTempo, shown);
        EXPECT_EQ(form.timeAtPosition(value), shown);
    }

    // The next song starts whole too, wherever the thumb stood.
    segmento.SetValue(20);
    form.ListMIDI_Click(indexOf("SLOW.MID"));
    EXPECT_EQ(segmento.Max(), 31);
    EXPECT_EQ(segmento.Value(), 31);
    EXPECT_EQ(form.appState().CutTick, kWholeSong);
    EXPECT_EQ(form.LabDurataTempo, "00:40");
    EXPECT_EQ(form.timeAtPosition(30), "00:39");  // Format 0: the exact tick, 18,750
    ASSERT_TRUE(form.pendingCut());  // what the play button plays: the cut the thumb shows
    EXPECT_EQ(form.pendingCut()->first.cutTick, kWholeSong);
    choose.SetValue(5);
    EXPECT_EQ(form.LabChoose, "05");

    // A song shorter than a step still gets one; the thumb at the start cuts nowhere.
    form.ListMIDI_Click(indexOf("TINY.MID"));
    EXPECT_EQ(std::make_pair(segmento.Max(), segmento.Value()), std::make_pair(1, 1));
    EXPECT_EQ(form.LabDurataTempo, "00:00");
    EXPECT_EQ(form.appState().CutTick, kWholeSong);
    segmento.SetValue(0);
    EXPECT_EQ(form.appState().CutTick, 0u);
    EXPECT_FALSE(form.pendingCut());
    EXPECT_TRUE(messages.messages.empty()) << messages.messages.front();
}

// A song that no cutter takes is named at once, when chosen, in the words
// CUT ALL logs for it; it shows no length and CUT ONE says the same.
TEST_F(Selection, ASongNoCutterTakesSaysSoWhenChosen) {
    const std::string refusal = "CANNOT READ MIDI FILE: format 2 is not supported";
    songs.write("GOOD.MID", steadySong(0, 500000, 8));
    songs.write("TWO.MID", cat({header(2, 1, 96), track(cat({{0x00, 0x90, 1, 1}, {0x60, 0x80, 1, 0}, kEndOfTrack}))}));
    openSource();
    form.ListMIDI_Click(indexOf("GOOD.MID"));
    form.ListMIDI_Click(indexOf("TWO.MID"));
    EXPECT_EQ(form.LabStatus, refusal);
    EXPECT_EQ(form.appState().Text9, songs.file("TWO.MID"));
    EXPECT_EQ(form.LabDurataTempo, "");
    segmento.SetValue(1);
    EXPECT_EQ(form.LabDurataTempo, "");
    EXPECT_EQ(form.timeAtPosition(1), "");
    EXPECT_FALSE(form.pendingCut());
    form.Image4_Click();
    EXPECT_EQ(form.LabStatus, refusal);
    EXPECT_TRUE(messages.messages.empty()) << messages.messages.front();

    form.Image3_Click();
    EXPECT_NE(log().find("2. TWO.MID: " + refusal + "\r\n"), std::string::npos) << log();
    EXPECT_EQ(songs.names(), (Names{"GOOD.MID", "Quorvane.log", "TWO.MID", "good-cut.mid"}));
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
    EXPECT_EQ(form.appState().CutTick, 0u);
    // The cut commands leave it alone; the program goes on.
    segmento.SetValue(3);
    form.Image4_Click();
    EXPECT_EQ(messages.messages.size(), 1u);
    form.ListMIDI_Click(indexOf("GOOD.MID"));
    EXPECT_EQ(form.LabDurataTempo, "00:04");
}

// The longest song 32-bit music time measures: its last step keeps it whole,
// the one before cuts at its own tick.
TEST_F(Selection, TheStepsOfTheLongestSongReachItsEnd) {
    // At 1 tick per quarter: 2,147,483,136 music ticks, 16 days.
    const Bytes huge = cat({header(0, 1, 1), track(cat({tempoEvent(500000), endOfTrackAfter(2796202)}))});
    songs.write("HUGE.MID", huge);
    openSource();
    form.ListMIDI_Click(0);
    EXPECT_EQ(form.LabDurataTempo, "23301:41");
    EXPECT_EQ(segmento.Max(), 2147484);
    segmento.SetValue(2147483);
    EXPECT_EQ(form.appState().CutTick, 2796201u);
    EXPECT_EQ(form.LabDurataTempo, "23301:40");
    segmento.SetValue(2147484);
    EXPECT_EQ(form.appState().CutTick, kWholeSong);
    form.Image4_Click();
    EXPECT_TRUE(messages.messages.empty()) << messages.messages.front();
    EXPECT_EQ(readBytes(songs.file("huge-cut.mid")), huge);
}

TEST_F(Selection, ListsMidiFilesInUpperCaseWithTheirNamesOnDisk) {
    for (const char* name :
         {"song.mid", "OLD.Mid", "façade.mid", "track.midi", ".hidden.mid", "song-cut.mid", "OLD-CUT.Mid"}) {
        songs.write(name, {});
    }
    std::filesystem::create_directory(songs.path() / "folder.mid");
    openSource();
    ASSERT_EQ(form.ListMIDI.size(), 3u);
    EXPECT_EQ(form.ListMIDI[0].text, "FAÇADE.MID");  // upper case is not only ASCII
    EXPECT_EQ(form.ListMIDI[1].text, "OLD.MID");
    EXPECT_EQ(form.ListMIDI[1].diskName, "OLD.Mid");
    EXPECT_EQ(form.ListMIDI[2].text, "SONG.MID");
    EXPECT_EQ(form.LabFound, "3");
    EXPECT_EQ(form.TextPath, songs.path().string());
    EXPECT_EQ(picker.requests.at(0).title, "Choose Harmara source path...");
}

// A cancel changes nothing. Each dialog opens in the folder it would
// replace, else in the other one; with neither, where the platform likes.
TEST_F(Selection, ACancelledDialogChangesNothingAndEachStartsInItsOwnFolder) {
    const auto shown = [&] {
        std::vector<std::string> captions{form.TextPath,  form.appState().TextDest, form.LabFound,        form.LabNum,
                                          form.LabStatus, form.LabDurataTempo,      form.appState().Text9};
        for (const ListedSong& item : form.ListMIDI) captions.push_back(item.text);
        return captions;
    };
    const std::vector<std::string> atStart = shown();
    EXPECT_EQ(form.LabStatus, "Choose a folder of songs: SOURCE or Ctrl+O");
    form.Image1_Click();
    form.Image2_Click();
    EXPECT_EQ(shown(), atStart);
    picker.answers.push_back(out.path().string());
    form.Image2_Click();
    form.Image1_Click();

    songs.write("A.MID", steadySong(0, 500000, 40));
    songs.write("B.MID", steadySong(0, 500000, 60));
    openSource();
    form.ListMIDI_Click(1);
    form.Image4_Click();
    const std::vector<std::string> before = shown();
    EXPECT_EQ(before[4], "Written: b-cut.mid");
    form.Image1_Click();
    form.Image2_Click();
    EXPECT_EQ(shown(), before);
    EXPECT_EQ(form.appState().FilePath, songs.file("B.MID"));

    std::vector<std::string> starts;
    for (const auto& request : picker.requests) starts.push_back(request.startFolder);
    EXPECT_EQ(starts, (Names{"", "", "", out.path().string(), out.path().string(), songs.path().string(),
                             out.path().string()}));
}

// After any new listing the current song stays current only where it is
// listed again under its name; else no song is, and CUT ONE says so.
TEST_F(Selection, ANewListingKeepsTheCurrentSongOnlyIfItListsItAgain) {
    songs.write("A.MID", steadySong(0, 500000, 40));
    songs.write("B.MID", steadySong(0, 500000, 60));
    const TempDir other;
    other.write("A.MID", steadySong(0, 500000, 40));
    openSource();
    form.ListMIDI_Click(0);
    segmento.SetValue(10);
    form.ListAgain_Click();                       // F5
    form.useSourceFolder(songs.path().string());  // the folder dropped again
    EXPECT_EQ(form.currentIndex(), 0);
    EXPECT_EQ(form.appState().Text9, songs.file("A.MID"));
    EXPECT_EQ(segmento.Value(), 10);

    // Another folder's A.MID is another song.
    picker.answers.push_back(other.path().string());
    form.Image1_Click();
    EXPECT_EQ(std::make_tuple(form.currentIndex(), form.appState().Text9, form.LabDurataTempo, segmento.Max()),
              std::make_tuple(-1, ""s, ""s, Form1::kNoSongMax));
    segmento.SetValue(10);
    form.Image4_Click();
    EXPECT_EQ(form.LabStatus, "Nothing cut: choose a song in the list first.");
    EXPECT_EQ(other.names().size() + songs.names().size(), 3u);

    // A song gone from its folder is listed no more.
    openSource();
    form.ListMIDI_Click(1);
    std::filesystem::remove(songs.path() / "B.MID");
    form.ListAgain_Click();
    EXPECT_EQ(std::make_pair(form.appState().FilePath, form.LabFound), std::make_pair(""s, "1"s));
    EXPECT_TRUE(messages.messages.empty()) << messages.messages.front();
}

}  // namespace
}  // namespace quorvane::test
