// The window's model with plain sliders and scripted services: what only the
// window shows (captions, the status line, the cut slider's range and TIME),
// its refusals, cancels and listings. What a cut or a batch writes is the cut
// service's, tested with it.

#include <climits>

#include "engine/byte_reader.hpp"
#include "engine/cut_points.hpp"
#include "workflow/error_text.hpp"
#include "window_model_fixture.hpp"

namespace quorvane::test {
namespace {

using namespace std::string_literals;

// The cut slider's steps (1000 music ticks each) cover the song exactly. A
// song chosen starts whole, the thumb at its end; from then on TIME is the
// clip CUT ONE writes, wherever the thumb goes.
TEST_F(WindowModelTest, TheCutSliderSpansTheSongAndTimeIsTheClipCutOneWrites) {
    EXPECT_EQ(model.clipLengthText, "30");
    songs.write("Long.mid", steadySong(1, 500000, 504));  // 252 s at 120 bpm, 387,072 music ticks
    songs.write("Slow.mid", steadySong(0, 1000000, 40));  // 40 s at 60 bpm, 30,720 music ticks
    songs.write("TINY.MID", steadySong(0, 500000, 1));    // half a second
    openSource();
    openDest();
    cutSlider.setValue(5);  // moved before any song: nothing to show
    EXPECT_EQ(model.cutPointTime, "");
    EXPECT_EQ(model.appState().cutTick, 0u);
    model.chooseSong(model.listIndexOf("Long.mid"));
    EXPECT_EQ(std::make_pair(cutSlider.max(), cutSlider.value()), std::make_pair(388, 388));
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
    cutSlider.setValue(1);
    model.cutOne();
    EXPECT_EQ(out.names(), Names{"LONG-CUT.mid"});
    EXPECT_EQ(model.appState().cutFilePath, out.file("LONG-CUT.mid"));
    EXPECT_EQ(model.status, "Written: LONG-CUT.mid");
    cutSlider.setValue(0);
    model.cutOne();
    EXPECT_EQ(model.status, "Nothing cut: move CUT POINT past the start.");

    // The next song starts whole too, wherever the thumb stood.
    cutSlider.setValue(20);
    model.chooseSong(model.listIndexOf("Slow.mid"));
    EXPECT_EQ(std::make_pair(cutSlider.max(), cutSlider.value()), std::make_pair(31, 31));
    EXPECT_EQ(model.appState().cutTick, kWholeSong);
    EXPECT_EQ(model.cutPointTime, "00:40");
    EXPECT_EQ(model.timeAtPosition(30), "00:39");  // Format 0: the exact tick, 18,750
    ASSERT_TRUE(model.pendingCut());               // what the play button plays: the cut the thumb shows
    EXPECT_EQ(model.pendingCut()->first.cutTick, kWholeSong);
    clipSlider.setValue(5);
    EXPECT_EQ(model.clipLengthText, "05");

    // A song shorter than a step still gets one; the thumb at the start cuts nowhere.
    model.chooseSong(model.listIndexOf("TINY.MID"));
    EXPECT_EQ(std::make_pair(cutSlider.max(), cutSlider.value()), std::make_pair(1, 1));
    EXPECT_EQ(model.cutPointTime, "00:00");
    EXPECT_EQ(model.appState().cutTick, kWholeSong);
    cutSlider.setValue(0);
    EXPECT_EQ(model.appState().cutTick, 0u);
    EXPECT_FALSE(model.pendingCut());
    EXPECT_TRUE(messages.messages.empty()) << messages.messages.front();
}

// Songs measured away from the model, finished when the test says: until
// then the line names the song and nothing is cut, played or shown of it or
// of the song before; then only the latest choice is shown, and told as news.
// A result that comes at once is no later news; one that comes to a model
// gone finds nobody.
class MeasuredLaterTest : public WindowModelTest {
protected:
    MeasuredLaterTest() : WindowModelTest(&work) {
        model.onSelectionMeasured = [this] { ++news; };
    }
    HeldExecutor work;
    int news = 0;
};

TEST_F(MeasuredLaterTest, OnlyTheLatestChoiceIsShownOnceMeasured) {
    songs.write("A.MID", steadySong(0, 500000, 40));
    songs.write("B.MID", steadySong(1, 500000, 504));  // 04:12
    songs.write("C.MID", cat({header(0, 1, 96), track({0x00, 0x40})}));
    openSource();
    work.atOnce = true;
    model.chooseSong(0);
    cutSlider.setValue(20);
    model.cutOne();
    EXPECT_EQ(std::make_pair(model.status, news), std::make_pair("Written: a-cut.mid"s, 0));

    work.atOnce = false;
    model.chooseSong(0);
    EXPECT_EQ(model.status, "Measuring A.MID...");
    model.chooseSong(1);
    model.cutOne();
    EXPECT_EQ(std::make_tuple(model.measuring(), model.status, model.cutPointTime, model.pendingCut().has_value()),
              std::make_tuple(true, "Nothing cut: the song is still being measured."s, ""s, false));
    work.finishAll();
    EXPECT_EQ(std::make_tuple(model.status, model.cutPointTime, news),
              std::make_tuple("Ready to cut: B.MID"s, "04:12"s, 1));
    model.cutOne();
    EXPECT_EQ(model.status, "Written: B-CUT.mid");

    model.chooseSong(2);
    work.finishAll();
    EXPECT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(std::make_tuple(model.appState().songPath, model.status, news), std::make_tuple(""s, ""s, 2));

    {
        SliderModel cut, clip;
        WindowModel gone(cut, clip, {picker, messages, pump, pause, &work});
        gone.useSourceFolder(songs.path().string());
        gone.chooseSong(1);
    }
    work.finishAll();
    EXPECT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(songs.names().size(), 5u);
}

// A song no cutter takes is named at once in the status line, in the words
// CUT ALL logs for it; one that cannot be read is a message, once, and
// nothing of the song before stays on show. Neither is cut.
TEST_F(WindowModelTest, RefusedAndUnreadableSongsSaySoWhenChosen) {
    const std::string refusal = "CANNOT READ MIDI FILE: format 2 is not supported";
    songs.write("GOOD.MID", steadySong(0, 500000, 8));
    songs.write("TWO.MID", cat({header(2, 1, 96), track(cat({{0x00, 0x90, 1, 1}, {0x60, 0x80, 1, 0}, kEndOfTrack}))}));
    songs.write("BAD.MID", cat({header(0, 1, 96), track({0x00, 0x40})}));
    openSource();
    model.chooseSong(model.listIndexOf("GOOD.MID"));
    model.chooseSong(model.listIndexOf("TWO.MID"));
    EXPECT_EQ(model.status, refusal);
    EXPECT_EQ(model.appState().shownPath, songs.file("TWO.MID"));
    EXPECT_EQ(model.cutPointTime, "");
    cutSlider.setValue(1);
    EXPECT_EQ(std::make_pair(model.cutPointTime, model.appState().cutTick), std::make_pair(""s, std::uint64_t{0}));
    EXPECT_EQ(model.timeAtPosition(1), "");
    EXPECT_FALSE(model.pendingCut());
    model.cutOne();
    EXPECT_EQ(model.status, refusal);
    EXPECT_TRUE(messages.messages.empty()) << messages.messages.front();

    model.chooseSong(model.listIndexOf("GOOD.MID"));
    cutSlider.setValue(2);
    model.chooseSong(model.listIndexOf("BAD.MID"));
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_TRUE(has(messages.messages[0], "CANNOT READ MIDI FILE: ") && has(messages.messages[0], "BAD.MID"));
    EXPECT_EQ(std::make_tuple(model.appState().songPath, model.cutPointTime, cutSlider.max(), cutSlider.value(),
                              model.appState().cutTick),
              std::make_tuple(""s, ""s, WindowModel::kNoSongMax, 0, std::uint64_t{0}));
    messages.messages.clear();
    model.cutAll();
    EXPECT_TRUE(has(log(), "3. TWO.MID: " + refusal + "\r\n"));
    EXPECT_EQ(songs.names(), (Names{"BAD.MID", "GOOD.MID", "Quorvane.log", "TWO.MID", "good-cut.mid"}));
}

// Every file of a batch is searched over its own range, whatever song was
// selected before; then the last file is current, its thumb where its clip
// ends. The status line sums the batch up, or says why nothing was cut; a
// stop ends the batch once the file in hand is cut.
TEST_F(WindowModelTest, CutAllSaysWhatItDidAndLeavesTheLastFileCurrent) {
    openSource();
    model.cutAll();  // an empty list writes no log
    EXPECT_EQ(std::make_tuple(model.listedCount, model.status, songs.names().size()),
              std::make_tuple("0"s, "Nothing cut: the list has no songs."s, std::size_t{0}));
    songs.write("a.mid", steadySong(1, 500000, 504));  // 04:12 at 120 bpm
    songs.write("B.Mid", steadySong(0, 500000, 40));   // 00:20: shorter than the clip
    songs.write("BROKEN.MID", Bytes{'M', 'T', 'h', 'd', 0, 0});
    songs.write("cc.MID", steadySong(0, 1000000, 40));  // 00:40 at 60 bpm
    openSource();
    model.chooseSong(model.listIndexOf("B.Mid"));
    model.cutAll();
    const std::string broken =
        "BROKEN.MID: CANNOT READ MIDI FILE: the file ends early (1 more byte expected) (at byte 6)";
    const std::string expected =
        "1. A.MID: 04:12\tA-cut.mid:00:30 - Format: 1\r\n"
        "2. B.MID: 00:20\tB-cut.mid:00:20 - Format: 0\r\n3. " +
        broken + "\r\n4. CC.MID: 00:40\tCC-cut.mid:00:30 - Format: 0\r\n";
    EXPECT_EQ(log(), expected);
    EXPECT_EQ(messages.messages, Names{"Cut 3 of 4 files. Not cut:\n" + broken});
    EXPECT_EQ(std::make_pair(model.cutCount, model.status),
              std::make_pair("Done!"s, "Cut 3 of 4 files; see Quorvane.log."s));
    // 30 s of CC.MID is tick 14,400, 23,040 music ticks: step 24 is the first at or past it.
    EXPECT_EQ(
        std::make_tuple(model.appState().listedName, cutSlider.max(), cutSlider.value(), model.appState().cutTick),
        std::make_tuple("CC.MID"s, 31, 24, std::uint64_t{14400}));

    clipSlider.setValue(0);  // a clip of 0 seconds keeps nothing: nothing is cut, the log stays
    model.cutAll();
    EXPECT_EQ(model.status, "Nothing cut: set CLIP LENGTH above 0 seconds.");
    EXPECT_EQ(log(), expected);

    clipSlider.setValue(1);
    pause.requested.clear();
    model.requestStop();  // no batch yet: nothing to stop
    pump.pumps = 0;
    pump.onPump = [&] {
        cutSlider.setValue(20);  // moves the display only: the logged position is cut
        if (pump.pumps == 2) model.requestStop();
    };
    model.cutAll();
    EXPECT_EQ(log(),
              "1. A.MID: 04:12\tA-cut.mid:00:02 - Format: 1\r\n"
              "2. B.MID: 00:20\tB-cut.mid:00:01 - Format: 0\r\nstopped after 2 of 4 files\r\n");
    EXPECT_EQ(model.status, "Stopped after 2 of 4 files; see Quorvane.log.");
    EXPECT_EQ(model.appState().cutTick, 960u);  // B.MID's clip, not the thumb moved meanwhile
    EXPECT_EQ(pause.requested.size(), 1u);      // none once it stops
    EXPECT_FALSE(model.batchRunning());
}

#ifdef __linux__
// A destination that takes no file stops the batch; the status line says why.
TEST_F(WindowModelTest, ADestinationThatCannotBeWrittenStopsTheBatch) {
    for (const char* name : {"A.MID", "B.MID"}) songs.write(name, steadySong(0, 500000, 40));
    openSource();
    SmallFileSystem dest("ro");
    if (!dest.mounted()) GTEST_SKIP() << "mounting a file system needs root";
    model.useDestFolder(dest.path());
    model.cutAll();
    EXPECT_EQ(model.status, "Stopped: Read-only file system; see the log.");
    EXPECT_EQ(messages.messages,
              Names{"Stopped after 0 of 2 files: cannot write into " + dest.path() + ": Read-only file system"});
}
#endif

// A cancel changes nothing. Each dialog opens in the folder it would
// replace, else in the other one; with neither, where the platform likes.
TEST_F(WindowModelTest, ACancelledDialogChangesNothingAndEachStartsInItsOwnFolder) {
    const auto shown = [&] {
        std::vector<std::string> captions{
            model.sourceFolder, model.appState().destFolder, model.listedCount,         model.cutCount,
            model.status,       model.cutPointTime,          model.appState().shownPath};
        for (const ListedSong& item : model.songs) captions.push_back(item.text);
        return captions;
    };
    const std::vector<std::string> atStart = shown();
    EXPECT_EQ(model.status, "Choose a folder of songs: SOURCE or Ctrl+O");
    model.chooseSourceFolder();
    model.chooseDestFolder();
    EXPECT_EQ(shown(), atStart);
    openDest();
    model.chooseSourceFolder();

    songs.write("A.MID", steadySong(0, 500000, 40));
    songs.write("B.MID", steadySong(0, 500000, 60));
    openSource();
    EXPECT_EQ(std::make_pair(model.listedCount, model.sourceFolder), std::make_pair("2"s, songs.path().string()));
    model.chooseSong(1);
    model.cutOne();
    const std::vector<std::string> before = shown();
    EXPECT_EQ(before[4], "Written: b-cut.mid");
    model.chooseSourceFolder();
    model.chooseDestFolder();
    model.useSourceFolder("");  // a drop of nothing
    model.useDestFolder("");
    EXPECT_EQ(shown(), before);
    EXPECT_EQ(model.appState().songPath, songs.file("B.MID"));

    std::vector<std::string> starts;
    for (const auto& request : picker.requests) starts.push_back(request.startFolder);
    EXPECT_EQ(starts, (Names{"", "", "", out.path().string(), out.path().string(), songs.path().string(),
                             out.path().string()}));
    EXPECT_EQ(picker.requests.at(0).title, "Choose Harmara source path...");
    EXPECT_EQ(picker.requests.at(1).title, "Choose Midi-Files destination path...");
}

// After any new listing the current song stays current only where it is
// listed again under its name; else no song is, and CUT ONE says so.
TEST_F(WindowModelTest, ANewListingKeepsTheCurrentSongOnlyIfItListsItAgain) {
    songs.write("A.MID", steadySong(0, 500000, 40));
    songs.write("B.MID", steadySong(0, 500000, 60));
    const TempDir other;
    other.write("A.MID", steadySong(0, 500000, 40));
    openSource();
    model.chooseSong(0);
    cutSlider.setValue(10);
    model.listAgain();                             // F5
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

std::string shown(const std::function<void()>& refused, const std::string& currentFile) {
    try {
        refused();
    } catch (...) {
        return describeCommandError(std::current_exception(), currentFile);
    }
    return "not refused";
}

// Slider errors name their number and what was refused once; file errors
// their headline, file, reason and place (the log line leaves out the file).
// A file that opens but cannot be read says so (Linux: the process's own
// memory reads as an error at address 0).
TEST(ErrorText, EachErrorIsWordedByItsKind) {
    SliderModel slider;
    slider.setMax(1);
    EXPECT_EQ(shown([&] { slider.setMax(0); }, ""),
              "Error 380: invalid property value: Max = 0 refused (Max must be above Min = 0)");
    slider.setMin(-1);
    EXPECT_EQ(shown([&] { slider.setMax(INT_MAX); }, "/songs/A.MID"),
              "Error 6: overflow: Max = 2147483647 refused "
              "(Max - Min does not fit in 32 bits with Min = -1)\n/songs/A.MID");

    const struct {
        FileError error;
        const char* message;
    } cases[] = {
        {{ErrorKind::UnreadableMidi, "/s/A.MID", "the file ends early", 100},
         "CANNOT READ MIDI FILE: /s/A.MID: the file ends early (at byte 100)"},
        {{ErrorKind::CannotOpen, "/s/A.MID", "not a regular file"}, "CANNOT OPEN FILE: /s/A.MID: not a regular file"},
        {{ErrorKind::CannotRead, "/s/A.MID", "read error", 0}, "CANNOT READ FILE: /s/A.MID: read error (at byte 0)"},
        {{ErrorKind::CannotWrite, "/s/A-CUT.mid", "disk full"}, "CANNOT WRITE FILE: /s/A-CUT.mid: disk full"},
        {{ErrorKind::CannotCut, "/s/A.MID", "too far"}, "CANNOT CUT FILE: /s/A.MID: too far"},
        {{ErrorKind::NotPrepared, "/s/A.MID", ""}, "FILE NOT READY TO CUT: /s/A.MID"},
    };
    for (const auto& c : cases) {
        const std::exception_ptr error = std::make_exception_ptr(c.error);
        EXPECT_EQ(describeError(error, "/s/OTHER.MID"), c.message);
        std::string logged = c.message;
        logged.erase(logged.find(": " + c.error.file()), 2 + c.error.file().size());
        EXPECT_EQ(describeFileFailure(error), logged);
    }

    if (!std::filesystem::exists("/proc/self/mem")) GTEST_SKIP() << "no /proc/self/mem to fail a read";
    ByteReader in = ByteReader::open("/proc/self/mem", "mem.mid");
    EXPECT_EQ(shown([&] { in.u8(); }, ""), "CANNOT READ FILE: mem.mid: read error (at byte 0)");
}

}  // namespace
}  // namespace quorvane::test
