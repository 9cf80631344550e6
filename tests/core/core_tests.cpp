#include <stdexcept>

#include "core/clock_text.hpp"
#include "core/cut_service.hpp"
#include "engine/cut_name.hpp"
#include "engine/errors.hpp"
#include "platform/text.hpp"
#include "song_files.hpp"

namespace quorvane::test {
namespace {

// Everything a batch tells its observer, one line per call.
class RecordingObserver : public BatchObserver {
public:
    Names calls;

    void fileStarted(const BatchProgress& p) override { calls.push_back("start " + name(p)); }
    void fileFinished(const BatchProgress& p) override {
        calls.push_back("done " + name(p) + (p.failure.empty() ? " -> " + p.cutFilePath : ": " + p.failure));
    }

private:
    static std::string name(const BatchProgress& p) {
        return std::to_string(p.position) + "/" + std::to_string(p.count) + " " + p.fileName;
    }
};

BatchPlan planOf(const TempDir& folder, double seconds, const std::string& dest) {
    return BatchPlan{folder.path().string(), listSongs(folder.path().string()), seconds, dest, {}};
}

// What the command line and the window show of a measure and a cut is
// checked with them; here: the hook, the names and a Format 1 clip's bar line.
TEST(CutService, ASongIsMeasuredThenCutAtAPositionOrToAClip) {
    TempDir dir, out;
    const std::string song = dir.write("Tune.mid", steadySong(1, 500000, 40));  // 20 s
    const SongInfo info = inspectSong(song);
    Names hooked;
    const CutOutcome cut =
        cutAtPosition(info, 5, out.path().string(), [&](const std::string& f) { hooked.push_back(f); });
    EXPECT_EQ(cut.cutFile, out.file("TUNE-CUT.mid"));
    EXPECT_EQ(cut.clipTime, "00:04");  // step 5 is 6.5 quarters; the bar line after it is at 4 s
    EXPECT_EQ(hooked, Names{cut.cutFile});
    const CutOutcome clip = cutToClip(song, 3, "");
    EXPECT_EQ(clip.cutFile, dir.file("Tune-CUT.mid"));               // beside the song, its name as on disk
    EXPECT_EQ(clip.clipTime, "00:04");                               // the first bar line at or past 3 s
    EXPECT_EQ(minutesSeconds(wholeSeconds(1398101.9)), "23301:41");  // the longest song: 16 days, in minutes

    // Format 2 is measured, but no cutter takes it: nothing is written.
    const std::string two = dir.write("two.mid", cat({header(2, 1, 96), track(kEndOfTrack)}));
    EXPECT_THROW(cutAtPosition(inspectSong(two), 1, out.path().string()), FileError);
    EXPECT_THROW(cutToClip(two, 3, out.path().string()), FileError);
    EXPECT_EQ(out.names(), Names{"TUNE-CUT.mid"});
}

// In the order a reader expects, whatever the locale and on every system:
// case and diacritics aside, then by code point; each is listed in upper case.
// Cuts, hidden files, other extensions and folders are not songs.
TEST(CutService, SongsAreListedAsAReaderOrdersThem) {
    TempDir songs;
    for (const char* name : {"zebra.mid", "äb.mid", "Ab.mid", "Ώρα.mid", "ёлка.mid", "Ель.mid", "track.midi",
                             ".hidden.mid", "apple-cut.mid", "ZEBRA-CUT.Mid"}) {
        songs.write(name, steadySong(0, 500000, 1));
    }
    std::filesystem::create_directory(songs.path() / "folder.mid");
    Names listed;
    for (const ListedSong& song : listSongs(songs.path().string())) listed.push_back(song.text);
    EXPECT_EQ(listed, (Names{"AB.MID", "ÄB.MID", "ZEBRA.MID", "ΏΡΑ.MID", "ЁЛКА.MID", "ЕЛЬ.MID"}));
    EXPECT_THROW(listSongs(songs.file("missing")), FileError);
}

// Names one cut name would serve, case aside, are numbered from 2 up,
// skipping a number whose name an earlier file has.
TEST(CutService, TwinsAreNumberedWithNamesNoEarlierFileHas) {
    EXPECT_EQ(cutNumbers({"x.mid", "X.MID", "x.Mid"}), (std::vector<int>{0, 2, 3}));
    EXPECT_EQ(cutNumbers({"x.mid", "x-2.mid", "X.mid", "y.mid"}), (std::vector<int>{0, 0, 3, 0}));
}

TEST(CutService, TheSummaryNamesTwentyFilesAndCountsTheRest) {
    std::vector<BatchFailure> failures, previews;
    for (char c = 'a'; c < 'a' + 18; ++c) failures.push_back({std::string{'B', c, '.', 'M', 'I', 'D'}, "no"});
    for (const char* name : {"P\x1B"
                             "0.MID",
                             "P\x1B"
                             "1.MID",
                             "P\x1B"
                             "2.MID"})
        previews.push_back({name, "no room"});
    const std::string summary = batchSummary(3, 21, failures, previews);
    EXPECT_EQ(summary.rfind("Cut 3 of 21 files. Not cut:\nBa.MID: no\n", 0), 0u) << summary;
    EXPECT_TRUE(has(summary, "Br.MID: no\nPreviews not written:\nP?0.MID: no room\nP?1.MID: no room\n"));
    EXPECT_EQ(summary.find("P?2.MID"), std::string::npos);
    EXPECT_EQ(summary.substr(summary.rfind('\n') + 1), "... and 1 more (see the log)");
}

#ifdef __linux__
// A destination that takes no file ends the batch: the cuts other jobs have
// in hand are logged, then one line says why; no file after it is started.
TEST(CutService, ABatchStopsAtADestinationThatCannotBeWritten) {
    TempDir dir;
    dir.write("A.MID", Bytes{'M', 'T'});
    // Whole songs of 26 KiB: two fit in 64 KiB.
    for (const char* name : {"B.MID", "C.MID", "D.MID", "E.MID", "F.MID", "G.MID", "H.MID"}) {
        dir.write(name, steadySong(0, 500000, 3000));
    }
    const std::string broken = "A.MID: CANNOT READ MIDI FILE: the file ends early (1 more byte expected) (at byte 2)";
    for (const auto& [options, reason] :
         {std::pair{"ro", "Read-only file system"}, std::pair{"size=64k", "No space left on device"}}) {
        for (const int jobs : {1, 2}) {
            SmallFileSystem dest(options);
            if (!dest.mounted()) GTEST_SKIP() << "mounting a file system needs root";
            RecordingObserver observer;
            const BatchPlan plan = planOf(dir, 3600, dest.path());
            const BatchReport report = cutFolder(plan, jobs, observer);
            const std::string context = std::string(options) + ", jobs " + std::to_string(jobs);
            const std::string log = fileText(plan.logPath());
            std::size_t lines = 0, cuts = 0;
            for (std::size_t at = 0; (at = log.find("\r\n", at)) != std::string::npos; ++at) ++lines;
            for (std::size_t at = 0; (at = log.find("-cut.mid:25:00 - Format: 0\r\n", at)) != std::string::npos; ++at) {
                ++cuts;
            }
            EXPECT_EQ(log.rfind("1. " + broken + "\r\n", 0), 0u) << log;
            EXPECT_EQ(cuts, dest.names().size()) << log;
            EXPECT_EQ(lines, cuts + 2) << log;
            const std::string stop =
                "after " + std::to_string(lines - 1) + " of 8 files: cannot write into " + dest.path() + ": " + reason;
            EXPECT_EQ(log.substr(log.size() - stop.size() - 10), "stopped " + stop + "\r\n") << log;
            EXPECT_EQ(report.message(), "Stopped " + stop + "\nCut " + std::to_string(cuts) + " of " +
                                            std::to_string(cuts + 1) + " files. Not cut:\n" + broken)
                << context;
            EXPECT_FALSE(report.complete);
            if (jobs == 1) {
                const std::string refused(1, static_cast<char>('B' + cuts));
                EXPECT_EQ(observer.calls.back(), "start " + std::to_string(cuts + 2) + "/8 " + refused + ".MID");
            }
        }
    }
}
#endif

// Twins whose cuts would share a name are cut side by side too: their
// names are numbered, so any list is.
TEST(CutService, SeveralJobsLogReportAndWriteTheSameAsOne) {
    TempDir dir, cuts;
    dir.write("B.MID", Bytes{'M', 'T'});
    for (const char* name : {"A.MID", "C.MID", "D0.MID", "D1.MID", "D2.MID", "D3.MID", "D4.MID", "D5.MID"}) {
        dir.write(name, steadySong(0, 500000, 30 + static_cast<std::uint32_t>(name[1] % 8)));
    }
    // Twins only where the file system tells case apart.
    dir.write("x.MID", steadySong(0, 500000, 50));
    dir.write("x.mid", steadySong(0, 500000, 60));
    const bool twins = dir.names().size() == 11;
    std::string runs[2];
    for (const int jobs : {1, 3}) {
        RecordingObserver observer;
        const BatchPlan plan = planOf(dir, 4, cuts.path().string());
        const BatchReport report = cutFolder(plan, jobs, observer);
        EXPECT_EQ(cuts.names().size(), twins ? 10u : 9u);  // the second twin's cut is x-2-cut.mid
        runs[jobs / 2] = report.message() + fileText(plan.logPath());
        for (const std::string& call : observer.calls) runs[jobs / 2] += call + "\n";
        for (const std::string& name : cuts.names()) {
            runs[jobs / 2] += name + fileText(cuts.file(name));
            std::filesystem::remove(cuts.path() / name);
        }
    }
    EXPECT_EQ(runs[0], runs[1]);
    // A cut of the one file has the name the batch gives it.
    if (twins) {
        EXPECT_EQ(cutToClip(dir.file("x.mid"), 4, cuts.path().string()).cutFile, cuts.file("x-2-cut.mid"));
    }
}

// Letters change case one for one, in two bytes as in one; what is not a
// letter of these scripts, or not well-formed UTF-8, is kept.
TEST(Text, CaseOfLatinGreekAndCyrillicNames) {
    const std::pair<std::string, std::string> lowerUpper[] = {
        {"façade.mid", "FAÇADE.MID"},
        {"ünïcödé ☃.mid", "ÜNÏCÖDÉ ☃.MID"},
        {"ÿ ā ĸ ĺ ň ŋ ź ž", "Ÿ Ā ĸ Ĺ Ň Ŋ Ź Ž"},
        {"ά έ ί ό ύ ώ αβγ σ ω ϙ", "Ά Έ Ί Ό Ύ Ώ ΑΒΓ Σ Ω Ϙ"},
        {"ѐ џ а я ѡ ҋ ӏ ӂ ӑ ԯ", "Ѐ Џ А Я Ѡ Ҋ Ӏ Ӂ Ӑ Ԯ"},
        {"ı ſ µ ß \xC3 \xA7\xC3", "ı ſ µ ß \xC3 \xA7\xC3"},
    };
    for (const auto& [lower, upper] : lowerUpper) {
        EXPECT_EQ(upperCase(lower), upper);
        EXPECT_EQ(lowerCase(upper), lower);
        EXPECT_EQ(upperCase(upper), upper);
        EXPECT_EQ(lowerCase(lower), lower);
    }
    EXPECT_EQ(upperCase("ς"), "Σ");
    EXPECT_EQ(characterCount("C:\\"), 3u);
    EXPECT_EQ(characterCount("Ç:☃"), 3u);
}

// What a log line or a terminal shows of a name: control characters (C0,
// DEL, C1) and each byte that is not well-formed UTF-8 as '?', the rest kept.
TEST(Text, ControlCharactersAndBytesThatAreNotUtf8AreShownAsQuestionMarks) {
    const std::pair<std::string, std::string> shown[] = {
        {"façade ☃ \xF0\x9F\x98\x80.mid", "façade ☃ \xF0\x9F\x98\x80.mid"},
        {"a\nb\tc\x1B[2J\x7F", "a?b?c?[2J?"},
        {"\xC2\x80 \xC2\x9B \xC2\x9F \xC2\xA0", "? ? ? \xC2\xA0"},  // C1; a no-break space is kept
        {"caf\xE9 \x85", "caf? ?"},                                 // Latin-1
        // Overlong, a surrogate, past U+10FFFF, cut short.
        {"\xC0\xAF \xED\xA0\x80 \xF4\x90\x80\x80 \xE2\x82", "?? ??? ???? ??"},
    };
    for (const auto& [text, expected] : shown) EXPECT_EQ(withoutControlCharacters(text), expected);
}

// Names sort with case and diacritics of Latin, Greek and Cyrillic letters
// aside, combining marks too; different letters keep the alphabet's order.
TEST(Text, SortKeysFoldCaseAndDiacritics) {
    const std::pair<std::string, std::string> alike[] = {
        {"Äpfel", "apfel"},    {"ÉTÉ", "ete"},           {"Ω", "ω"},
        {"Ά ΐ ς", "α ι σ"},    {"ЁЙ Ї", "еи і"},         {"Łódź", "lodz"},
        {"Ș Ţ", "s t"},        {"Ắ Ữ", "a u"},           {"Ӂ", "ж"},
        {"Straße", "strasse"}, {"Œuvre Æ", "oeuvre ae"}, {"A\xCC\x88pfel", "apfel"},  // decomposed, as macOS names are
    };
    for (const auto& [a, b] : alike) EXPECT_TRUE(sortKey(a) == sortKey(b)) << a << " " << b;
    const std::string ascending[] = {"0", "_", "ä", "B", "é", "Z", "þ", "Ω", "ё", "Я", "\xFF"};
    for (std::size_t k = 1; k < std::size(ascending); ++k)
        EXPECT_TRUE(sortKey(ascending[k - 1]) < sortKey(ascending[k])) << ascending[k - 1] << " " << ascending[k];
}

}  // namespace
}  // namespace quorvane::test
