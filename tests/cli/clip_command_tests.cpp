// `quorvane clip`: the clip's name and place, and its refusals, through the
// command's own function; the bytes of clips are the cutters' tests.

#include <sstream>

#include "cli/commands.hpp"
#include "core/song_listing.hpp"
#include "engine/timeline.hpp"
#include "midi_builder.hpp"
#include "song_files.hpp"

namespace quorvane::test {
namespace {

using testing::SmfBuilder;
using testing::TrackBuilder;

// Format 1 in 3/4 at 120 bpm: bars of 1.5 s; a marker at bar 5; 30 s long.
Bytes waltz() {
    return SmfBuilder()
        .format(1)
        .track([](TrackBuilder& t) {
            t.timeSignature(0, 3, 2).tempo(0, 500000).marker(1440 * 4, "Chorus").endOfTrack(28800 - 5760);
        })
        .track([](TrackBuilder& t) {
            t.programChange(0, 0, 40);
            for (int beat = 0; beat < 60; ++beat) t.noteOn(beat == 0 ? 0 : 240, 0, 60, 90).noteOff(240, 0, 60);
            t.endOfTrack();
        })
        .bytes();
}

struct Clip {
    int status;
    std::string out, err;
};

Clip clip(const std::string& song, const char* from, ClipPlan plan = {}) {
    plan.from = *parseTimePoint(from);
    std::ostringstream out, err;
    const int status = cli::runClip(song, plan, out, err);
    return {status, out.str(), err.str()};
}

double lengthOf(const std::string& file) { return Timeline::read(file).length(); }

TEST(ClipCommand, NamesTheClipByItsStartAndEndsItAsCutsEnd) {
    const TempDir dir;
    const std::string song = dir.write("Waltz.mid", waltz());
    ClipPlan eightSeconds;
    eightSeconds.lengthSeconds = 8;
    const Clip seconds = clip(song, "12.5", eightSeconds);
    ASSERT_EQ(seconds.status, cli::kExitOk) << seconds.err;
    EXPECT_EQ(seconds.out, dir.file("Waltz-12.5s-CUT.mid") + "\n");
    EXPECT_EQ(seconds.err, "Waltz.mid: clip from 00:12 to 00:21\n");
    // 12.5 s plus 8 reaches the next bar line, 21 s: 8.5 s of clip; exact: 8.
    EXPECT_DOUBLE_EQ(lengthOf(dir.file("Waltz-12.5s-CUT.mid")), 8.5);
    eightSeconds.exactEnd = true;
    const TempDir elsewhere;
    eightSeconds.out = elsewhere.file("exact.mid");
    EXPECT_EQ(clip(song, "12.5", eightSeconds).status, cli::kExitOk);
    EXPECT_DOUBLE_EQ(lengthOf(elsewhere.file("exact.mid")), 8.0);

    // A bar, a marker and a tick, to the song's end.
    const std::tuple<const char*, std::string, double> named[] = {{"bar:5", "Waltz-bar5-CUT.mid", 24.0},
                                                                  {"marker:Chorus", "Waltz-6s-CUT.mid", 24.0},
                                                                  {"tick:480", "Waltz-0.5s-CUT.mid", 29.5}};
    for (const auto& [from, name, seconds] : named) {
        const Clip made = clip(song, from);
        EXPECT_EQ(made.out, dir.file(name) + "\n") << from << made.err;
        EXPECT_DOUBLE_EQ(lengthOf(dir.file(name)), seconds) << from;
    }
    ClipPlan snapped;
    snapped.snapToBar = true;
    snapped.dest = dir.file("out");
    std::filesystem::create_directory(snapped.dest);
    EXPECT_EQ(clip(song, "7", snapped).out, dir.file("out/WALTZ-bar5-CUT.mid") + "\n");  // 6 s is bar 5's line
    // Clips are cuts: CUT ALL leaves them alone.
    EXPECT_EQ(listSongs(dir.path().string()).size(), 1u);
}

// Silence before the first note and after the last one's end is left out.
TEST(ClipCommand, TrimSilenceKeepsFromTheFirstNoteToTheEndOfTheLast) {
    const TempDir dir;
    const std::string song = dir.write("Quiet.mid", SmfBuilder()
                                                        .format(0)
                                                        .track([](TrackBuilder& t) {
                                                            t.tempo(0, 500000).programChange(0, 0, 3);
                                                            t.noteOn(1920, 0, 60, 90).noteOn(960, 1, 64, 90);
                                                            t.noteOff(960, 0, 60).noteOff(960, 1, 64);
                                                            t.endOfTrack(2880);
                                                        })
                                                        .bytes());
    ClipPlan trim;
    trim.trimSilence = true;
    const Clip trimmed = clip(song, "0", trim);
    EXPECT_EQ(trimmed.out, dir.file("quiet-2s-cut.mid") + "\n") << trimmed.err;
    EXPECT_DOUBLE_EQ(lengthOf(dir.file("quiet-2s-cut.mid")), 3.0);  // 2 s to 5 s
    // From inside a note: the note is struck again there, and the clip ends with the last.
    EXPECT_EQ(clip(song, "2.5", trim).status, cli::kExitOk);
    EXPECT_DOUBLE_EQ(lengthOf(dir.file("quiet-2.5s-cut.mid")), 2.5);
    EXPECT_NE(clip(song, "5.5", trim).err.find("no note sounds in the clip"), std::string::npos);
    // A note never released sounds until its track ends.
    const std::string hanging = dir.write("Hanging.mid", SmfBuilder()
                                                             .format(0)
                                                             .track([](TrackBuilder& t) {
                                                                 t.tempo(0, 500000).noteOn(960, 0, 60, 90);
                                                                 t.noteOn(960, 0, 62, 90).noteOff(480, 0, 62);
                                                                 t.endOfTrack(1920);
                                                             })
                                                             .bytes());
    EXPECT_EQ(clip(hanging, "0", trim).status, cli::kExitOk);
    EXPECT_DOUBLE_EQ(lengthOf(dir.file("hanging-1s-cut.mid")), 3.5);  // 1 s to 4.5 s
}

}  // namespace
}  // namespace quorvane::test
