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
    EXPECT_EQ(model.clipLengthText, "30");
    songs.write("Long.mid", steadySong(1, 500000, 504));  // 252 s at 120 bpm, 387,072 music ticks
    songs.write("Slow.mid", steadySong(0, 1000000, 40));  // 40 s at 60 bpm, 30,720 music ticks
    songs.write("TINY.MID", steadySong(0, 500000, 1));    // half a second
    openSource();
    cutSlider.setValue(5);  // moved before any song: nothing to show
    EXPECT_EQ(model.cutPointTime, "");
    model.chooseSong(indexOf("LONG.MID"));
    EXPECT_EQ(cutSlider.max(), 388);
    EXPECT_EQ(cutSlider.value(), 388);
    EXPECT_EQ(model.appState().cutTick, kWholeSong);
    EXPECT_EQ(model.cutPointTime, "04:12");
    EXPECT_EQ(model.appState().listedName, "LONG.MID");
    EXPECT_EQ(model.appState().songPath, (songs.path() / "Long.mid").string());
    EXPECT_EQ(model.appState().shownPath, model.appState().songPath);

    // Format 1: the time shown is that of the bar line where the clip ends.
    for (const auto& [value, cutTick, shown] : {std::tuple{1, std::uint64_t{1920}, "00:02"},
                                                {30, 19200, "00:20"},
                                                {0, 0, "00:00"},
                                                {388, kWholeSong, "04:12"}}) {
        cutSlider.setValue(value);
        EXPECT_EQ(model.appState().cutTick, cutTick);
        EXPECT_EQ(model.cutPointTime, shown);
        EXPECT_EQ(model.timeAtPosition(value), shown);
    }

    // The next song starts whole too, wherever the thumb stood.
    cutSlider.setValue(20);
    model.chooseSong(indexOf("SLOW.MID"));
    EXPECT_EQ(cutSlider.max(), 31);
    EXPECT_EQ(cutSlider.value(), 31);
    EXPECT_EQ(model.appState().cutTick, kWholeSong);
    EXPECT_EQ(model.cutPointTime, "00:40");
    EXPECT_EQ(model.timeAtPosition(30), "00:39");  // Format 0: the exact tick, 18,750
    ASSERT_TRUE(model.pendingCut());  // what the play button plays: the cut the thumb shows
    EXPECT_EQ(model.pendingCut()->first.cutTick, kWholeSong);
    clipSlider.setValue(5);
    EXPECT_EQ(model.clipLengthText, "05");

    // A song shorter than a step still gets one; the thumb at the start cuts nowhere.
    model.chooseSong(indexOf("TINY.MID"));
    EXPECT_EQ(std::make_pair(cutSlider.max(), cutSlider.value()), std::make_pair(1, 1));
    EXPECT_EQ(model.cutPointTime, "00:00");
    EXPECT_EQ(model.appState().cutTick, kWholeSong);
    cutSlider.setValue(0);
    EXPECT_EQ(model.appState().cutTick, 0u);
    EXPECT_FALSE(model.pendingCut());
    EXPECT_TRUE(messages.messages.empty()) << messages.messages.front();
}

// A song that no cutter takes is named at once, when chosen, in the words
// CUT ALL logs for it; it shows no length and CUT ONE says the same.
TEST_F(Selection, ASongNoCutterTakesSaysSoWhenChosen) {
    const std::string refusal = "CANNOT READ MIDI FILE: format 2 is not supported";
    songs.write("GOOD.MID", steadySong(0, 500000, 8));
    songs.write("TWO.MID", cat({header(2, 1, 96), track(cat({{0x00, 0x90, 1, 1}, {0x60, 0x80, 1, 0}, kEndOfTrack}))}));
    openSource();
    model.chooseSong(indexOf("GOOD.MID"));
    model.chooseSong(indexOf("TWO.MID"));
    EXPECT_EQ(model.status, refusal);
    EXPECT_EQ(model.appState().shownPath, songs.file("TWO.MID"));
    EXPECT_EQ(model.cutPointTime, "");
    cutSlider.setValue(1);
    EXPECT_EQ(model.cutPointTime, "");
    EXPECT_EQ(model.timeAtPosition(1), "");
    EXPECT_FALSE(model.pendingCut());
    model.cutOne();
    EXPECT_EQ(model.status, refusal);
    EXPECT_TRUE(messages.messages.empty()) << messages.messages.front();

    model.cutAll();
    EXPECT_NE(log().find("2. TWO.MID: " + refusal + "\r\n"), std::string::npos) << log();
    EXPECT_EQ(songs.names(), (Names{"GOOD.MID", "Quorvane.log", "TWO.MID", "good-cut.mid"}));
}

TEST_F(Selection, AnUnreadableFileIsReportedOnceAndIsNotCurrent) {
    songs.write("GOOD.MID", steadySong(0, 500000, 8));
    songs.write("BAD.MID", cat({header(0, 1, 96), track({0x00, 0x40})}));
    openSource();
    model.chooseSong(indexOf("GOOD.MID"));
    cutSlider.setValue(2);
    model.chooseSong(indexOf("BAD.MID"));
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].rfind("CANNOT READ MIDI FILE: ", 0), 0u) << messages.messages[0];
    EXPECT_NE(messages.messages[0].find("BAD.MID"), std::string::npos);
    // Nothing of the song before stays on show.
    EXPECT_EQ(model.appState().songPath, "");
    EXPECT_EQ(model.cutPointTime, "");
    EXPECT_EQ(cutSlider.max(), 100);
    EXPECT_EQ(cutSlider.value(), 0);
    EXPECT_EQ(model.appState().cutTick, 0u);
    // The cut commands leave it alone; the program goes on.
    cutSlider.setValue(3);
    model.cutOne();
    EXPECT_EQ(messages.messages.size(), 1u);
    model.chooseSong(indexOf("GOOD.MID"));
    EXPECT_EQ(model.cutPointTime, "00:04");
}

// The longest song 32-bit music time measures: its last step keeps it whole,
// the one before cuts at its own tick.
TEST_F(Selection, TheStepsOfTheLongestSongReachItsEnd) {
    // At 1 tick per quarter: 2,147,483,136 music ticks, 16 days.
    const Bytes huge = cat({header(0, 1, 1), track(cat({tempoEvent(500000), endOfTrackAfter(2796202)}))});
    songs.write("HUGE.MID", huge);
    openSource();
    model.chooseSong(0);
    EXPECT_EQ(model.cutPointTime, "23301:41");
    EXPECT_EQ(cutSlider.max(), 2147484);
    cutSlider.setValue(2147483);
    EXPECT_EQ(model.appState().cutTick, 2796201u);
    EXPECT_EQ(model.cutPointTime, "23301:40");
    cutSlider.setValue(2147484);
    EXPECT_EQ(model.appState().cutTick, kWholeSong);
    model.cutOne();
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
    ASSERT_EQ(model.songs.size(), 3u);
    EXPECT_EQ(model.songs[0].text, "FAÇADE.MID");  // upper case is not only ASCII
    EXPECT_EQ(model.songs[1].text, "OLD.MID");
    EXPECT_EQ(model.songs[1].diskName, "OLD.Mid");
    EXPECT_EQ(model.songs[2].text, "SONG.MID");
    EXPECT_EQ(model.listedCount, "3");
    EXPECT_EQ(model.sourceFolder, songs.path().string());
    EXPECT_EQ(picker.requests.at(0).title, "Choose Harmara source path...");
}

// A cancel changes nothing. Each dialog opens in the folder it would
// replace, else in the other one; with neither, where the platform likes.
TEST_F(Selection, ACancelledDialogChangesNothingAndEachStartsInItsOwnFolder) {
    const auto shown = [&] {
        std::vector<std::string> captions{model.sourceFolder,  model.appState().destFolder, model.listedCount,        model.cutCount,
                                          model.status, model.cutPointTime,      model.appState().shownPath};
        for (const ListedSong& item : model.songs) captions.push_back(item.text);
        return captions;
    };
    const std::vector<std::string> atStart = shown();
    EXPECT_EQ(model.status, "Choose a folder of songs: SOURCE or Ctrl+O");
    model.chooseSourceFolder();
    model.chooseDestFolder();
    EXPECT_EQ(shown(), atStart);
    picker.answers.push_back(out.path().string());
    model.chooseDestFolder();
    model.chooseSourceFolder();

    songs.write("A.MID", steadySong(0, 500000, 40));
    songs.write("B.MID", steadySong(0, 500000, 60));
    openSource();
    model.chooseSong(1);
    model.cutOne();
    const std::vector<std::string> before = shown();
    EXPECT_EQ(before[4], "Written: b-cut.mid");
    model.chooseSourceFolder();
    model.chooseDestFolder();
    EXPECT_EQ(shown(), before);
    EXPECT_EQ(model.appState().songPath, songs.file("B.MID"));

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
    model.chooseSong(0);
    cutSlider.setValue(10);
    model.listAgain();                       // F5
    model.useSourceFolder(songs.path().string());  // the folder dropped again
    EXPECT_EQ(model.currentIndex(), 0);
    EXPECT_EQ(model.appState().shownPath, songs.file("A.MID"));
    EXPECT_EQ(cutSlider.value(), 10);

    // Another folder's A.MID is another song.
    picker.answers.push_back(other.path().string());
    model.chooseSourceFolder();
    EXPECT_EQ(std::make_tuple(model.currentIndex(), model.appState().shownPath, model.cutPointTime, cutSlider.max()),
              std::make_tuple(-1, ""s, ""s, WindowModel::kNoSongMax));
    cutSlider.setValue(10);
    model.cutOne();
    EXPECT_EQ(model.status, "Nothing cut: choose a song in the list first.");
    EXPECT_EQ(other.names().size() + songs.names().size(), 3u);

    // A song gone from its folder is listed no more.
    openSource();
    model.chooseSong(1);
    std::filesystem::remove(songs.path() / "B.MID");
    model.listAgain();
    EXPECT_EQ(std::make_pair(model.appState().songPath, model.listedCount), std::make_pair(""s, "1"s));
    EXPECT_TRUE(messages.messages.empty()) << messages.messages.front();
}

}  // namespace
}  // namespace quorvane::test
