#include "engine/cut_points.hpp"
#include "workflow_fixture.hpp"

namespace quorvane::test {
namespace {

#ifdef _WIN32
const std::string kControl = "\x7F";  // Windows allows no line break in a file name
#else
const std::string kControl = "\n";
#endif

class CutCommands : public WindowFixture {};

TEST_F(CutCommands, CutOneCutsWhereTheThumbStandsAndSaysWhatItDid) {
    model.cutOne();
    EXPECT_EQ(model.status, "Nothing cut: choose a song in the list first.");
    openSource();
    model.cutAll();  // an empty list writes no log
    EXPECT_TRUE(songs.names().empty());
    EXPECT_EQ(model.listedCount, "0");
    EXPECT_EQ(model.status, "Nothing cut: the list has no songs.");

    songs.write("Song.mid", steadySong(1, 500000, 64));
    openSource();
    picker.answers.push_back(out.path().string());
    model.chooseDestFolder();  // DEST
    // A thumb moved while no song was current moves nothing else.
    cutSlider.setValue(1);
    EXPECT_EQ(model.appState().cutTick, 0u);
    EXPECT_EQ(model.cutPointTime, "");
    model.chooseSong(0);
    cutSlider.setValue(1);
    EXPECT_EQ(model.appState().cutTick, 1920u);  // step 1 is tick 625; the bar line after it
    model.cutOne();
    EXPECT_EQ(out.names(), Names{"SONG-CUT.mid"});
    EXPECT_EQ(model.appState().cutFilePath, (out.path() / "SONG-CUT.mid").string());
    EXPECT_EQ(model.status, "Written: SONG-CUT.mid");

    cutSlider.setValue(0);
    EXPECT_EQ(model.appState().cutTick, 0u);
    model.cutOne();
    EXPECT_EQ(model.status, "Nothing cut: move CUT POINT past the start.");
    EXPECT_TRUE(messages.messages.empty());
}

// Every file of a batch is searched over its own range, whatever song was
// selected before; a file that cannot be read is logged and the batch goes on.
TEST_F(CutCommands, CutAllTreatsEveryFileAlikeAndGoesOnPastBrokenFiles) {
    songs.write("a.mid", steadySong(1, 500000, 504));  // 04:12 at 120 bpm
    songs.write("B.Mid", steadySong(0, 500000, 40));   // 00:20: shorter than the clip
    songs.write("BROKEN.MID", Bytes{'M', 'T', 'h', 'd', 0, 0});
    songs.write("cc.MID", steadySong(0, 1000000, 40));  // 00:40 at 60 bpm
    songs.write("line" + kControl + "break.mid", steadySong(0, 500000, 80));
    openSource();
    clipSlider.setValue(30);
    std::vector<bool> enabled;
    pump.onPump = [&] { enabled = {cutSlider.acceptsInput(), clipSlider.acceptsInput()}; };

    const std::string broken =
        "BROKEN.MID: CANNOT READ MIDI FILE: the file ends early (1 more byte expected) (at byte 6)";
    const std::string expected =
        "1. A.MID: 04:12\tA-cut.mid:00:30 - Format: 1\r\n"
        "2. B.MID: 00:20\tB-cut.mid:00:20 - Format: 0\r\n"
        "3. " +
        broken +
        "\r\n"
        "4. CC.MID: 00:40\tCC-cut.mid:00:30 - Format: 0\r\n"
        "5. LINE?BREAK.MID: 00:40\tLINE?BREAK-cut.mid:00:30 - Format: 0\r\n";
    for (const char* selectedFirst : {"B.MID", "A.MID"}) {
        model.chooseSong(indexOf(selectedFirst));
        messages.messages.clear();
        model.cutAll();
        EXPECT_EQ(log(), expected) << "with " << selectedFirst << " selected first";
        EXPECT_EQ(messages.messages, Names{"Cut 4 of 5 files. Not cut:\n" + broken});
        EXPECT_EQ(model.cutCount, "Done!");
        EXPECT_EQ(model.status, "Cut 4 of 5 files; see Quorvane.log.");
    }
    // While it ran, the sliders took no input; the last file stays current.
    EXPECT_EQ(enabled, (std::vector<bool>{false, false}));
    EXPECT_TRUE(cutSlider.acceptsInput() && clipSlider.acceptsInput());
    // The last file's clip ends at 30 s, tick 28800; the thumb stands at
    // the first step at or past it.
    EXPECT_EQ(cutSlider.max(), 62);
    EXPECT_EQ(model.appState().cutTick, 28800u);
    EXPECT_EQ(cutSlider.value(), 47);
    EXPECT_EQ(songs.names(),
              (Names{"B.Mid", "BROKEN.MID", "Quorvane.log", "a-CUT.mid", "a.mid", "b-cut.mid", "cc-cut.mid", "cc.MID",
                     "line" + kControl + "break-cut.mid", "line" + kControl + "break.mid"}));
    EXPECT_EQ(pause.requested.size(), 10u);

    // A clip of 0 seconds keeps nothing: nothing is cut, the log stays.
    clipSlider.setValue(0);
    model.cutAll();
    EXPECT_EQ(model.status, "Nothing cut: set CLIP LENGTH above 0 seconds.");
    EXPECT_EQ(log(), expected);
}

// Twins keep the case of their names; where two entries would still make
// one cut name, the later one's cut is numbered, by CUT ALL and CUT ONE alike.
TEST_F(CutCommands, EntriesThatWouldShareACutNameGetNumberedCuts) {
    songs.write("Song.mid", steadySong(0, 500000, 80));
    songs.write("SONG.MID", steadySong(0, 500000, 90));
    if (songs.names().size() == 1) {
        // A file system that does not tell case apart (Windows): one file, listed once.
        openSource();
        ASSERT_EQ(model.songs.size(), 1u);
        EXPECT_EQ(model.songs[0].diskName, "Song.mid");
        GTEST_SKIP() << "names that differ only in case are one file here";
    }
    songs.write("Song-2.mid", steadySong(0, 500000, 40));  // its cut has the first number's name
    songs.write("Tune.mid", steadySong(1, 500000, 80));
    songs.write("TUNE.MID", steadySong(1, 500000, 90));
    clipSlider.setValue(10);
    const std::string expected =
        "1. SONG-2.MID: 00:20\tSONG-2-cut.mid:00:10 - Format: 0\r\n"
        "2. SONG.MID: 00:45\tSONG-cut.mid:00:10 - Format: 0\r\n"
        "3. Song.mid: 00:40\tSong-3-cut.mid:00:10 - Format: 0\r\n"
        "4. TUNE.MID: 00:45\tTUNE-cut.mid:00:10 - Format: 1\r\n"
        "5. Tune.mid: 00:40\tTune-2-cut.mid:00:10 - Format: 1\r\n";
    const Names all{"Quorvane.log", "SONG-cut.mid", "SONG.MID",      "Song-2.mid",     "Song-3-cut.mid", "Song.mid",
                    "TUNE-CUT.mid", "TUNE.MID",     "Tune-2-CUT.mid", "Tune.mid",       "song-2-cut.mid"};
    // Numbered cuts are cuts: a second batch lists and cuts the same files.
    for (int batch = 0; batch < 2; ++batch) {
        openSource();
        EXPECT_EQ(model.songs.size(), 5u);
        model.cutAll();
        EXPECT_EQ(log(), expected);
        EXPECT_EQ(songs.names(), all);
    }

    // CUT ONE writes the name CUT ALL writes.
    picker.answers.push_back(out.path().string());
    model.chooseDestFolder();
    for (const char* name : {"Song.mid", "Tune.mid"}) {
        model.chooseSong(indexOf(name));
        model.cutOne();
    }
    EXPECT_EQ(out.names(), (Names{"Song-3-cut.mid", "Tune-2-CUT.mid"}));
}

#ifdef __linux__
// A destination that takes no file stops the batch; the status line says why.
TEST_F(CutCommands, ADestinationThatCannotBeWrittenStopsTheBatch) {
    songs.write("A.MID", steadySong(0, 500000, 40));
    songs.write("B.MID", steadySong(0, 500000, 40));
    openSource();
    SmallFileSystem dest("ro");
    if (!dest.mounted()) GTEST_SKIP() << "mounting a file system needs root";
    model.useDestFolder(dest.path());
    model.cutAll();
    const std::string stop = "after 0 of 2 files: cannot write into " + dest.path() + ": Read-only file system";
    EXPECT_EQ(log(), "stopped " + stop + "\r\n");
    EXPECT_EQ(model.status, "Stopped: Read-only file system; see the log.");
    EXPECT_EQ(messages.messages, Names{"Stopped " + stop});
    EXPECT_NE(model.cutCount, "Done!");
}
#endif

// Clicks during a batch wait for it. A stop ends it once the file in hand is
// cut; closing the window ends it before the next file, which is neither
// logged nor cut.
TEST_F(CutCommands, StopAndExitEndTheBatchBetweenFiles) {
    for (const char* name : {"ONE.MID", "TWO.MID", "THREE.MID"}) songs.write(name, steadySong(0, 500000, 40));
    openSource();
    clipSlider.setValue(1);  // the shortest clip
    model.batchPauseMs = 0;
    model.requestStop();  // no batch yet: nothing to stop
    Names statuses;
    model.onBatchProgress = [&](const BatchProgress& p) {
        statuses.push_back(model.status);
        if (!p.cutFilePath.empty()) {
            EXPECT_EQ(model.cutCount, std::to_string(p.position));
        }
    };
    pump.onPump = [&] {
        model.chooseSourceFolder();  // ignored while the batch runs
        model.cutOne();
        model.chooseSong(1);  // ignored too
        cutSlider.setValue(20);   // moves the display only: the logged position is cut
        if (pump.pumps == 2) model.requestStop();
    };
    model.cutAll();
    EXPECT_EQ(statuses, (Names{"1 of 3", "1 of 3", "2 of 3", "2 of 3"}));
    EXPECT_EQ(log(),
              "1. ONE.MID: 00:20\tONE-cut.mid:00:01 - Format: 0\r\n"
              "2. THREE.MID: 00:20\tTHREE-cut.mid:00:01 - Format: 0\r\n"
              "stopped after 2 of 3 files\r\n");
    EXPECT_EQ(model.status, "Stopped after 2 of 3 files; see Quorvane.log.");
    EXPECT_EQ(songs.names(),
              (Names{"ONE.MID", "Quorvane.log", "THREE.MID", "TWO.MID", "one-cut.mid", "three-cut.mid"}));
    EXPECT_LT(readBytes(songs.file("one-cut.mid")).size(), readBytes(songs.file("ONE.MID")).size() / 2);
    EXPECT_EQ(picker.requests.size(), 1u);

    pump.pumps = 0;
    pump.onPump = [&] {
        if (pump.pumps == 2) model.requestExit();
    };
    model.cutAll();
    EXPECT_EQ(log(), "1. ONE.MID: 00:20\tONE-cut.mid:00:01 - Format: 0\r\n");
    EXPECT_FALSE(std::filesystem::exists(songs.path() / "two-cut.mid"));
    EXPECT_FALSE(model.batchRunning());
    EXPECT_TRUE(pause.requested.empty());
}

}  // namespace
}  // namespace quorvane::test
