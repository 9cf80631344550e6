#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <sstream>

#include "cli/commands.hpp"
#include "cli/progress_line.hpp"
#include "song_files.hpp"
#include "platform/files.hpp"
#include "platform/text.hpp"
#include "core/cut_log.hpp"
#ifdef QUORVANE_WITH_PREVIEW
#include "preview/song_events.hpp"
#include "preview/soundfont.hpp"
#endif

namespace quorvane::test {
namespace {

using cli::kExitFileError;
using cli::kExitOk;
using cli::kExitUsage;

const Bytes kTwentySeconds = steadySong(0, 500000, 40);

struct Outcome {
    int status;
    std::string out, err;
};

template <typename Command>
Outcome run(Command&& command) {
    std::ostringstream out, err;
    const int status = command(out, err);
    return {status, out.str(), err.str()};
}

// Runs the program itself with `args` (shell words) under a time limit, so
// that a hang fails the test instead of stopping it.
Outcome runProgram(const std::string& args) {
    TempDir scratch;
    const std::string command = "timeout 10 " QUORVANE_PROGRAM " " + args + " 2>" + scratch.file("err");
    std::FILE* pipe = ::popen(command.c_str(), "r");
    std::string out;
    for (int c; (c = std::fgetc(pipe)) != EOF;) out += static_cast<char>(c);
    const int status = ::pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out, fileText(scratch.file("err"))};
}

TEST(CommandLine, CutPrintsThePathWrittenAndChecksTheRange) {
    TempDir dir;
    const std::string song = dir.write("Tune.mid", kTwentySeconds);
    Outcome r = run([&](auto& o, auto& e) { return cli::runCutAtPosition(song, 5, std::nullopt, o, e); });
    EXPECT_EQ(r.status, kExitOk) << r.err;
    EXPECT_EQ(r.out, (dir.path() / "tune-cut.mid").string() + "\n");

    // 20 s at 120 bpm is 30,720 music ticks: 31 steps of 1000 reach the end.
    r = run([&](auto& o, auto& e) { return cli::runCutAtPosition(song, 32, std::nullopt, o, e); });
    EXPECT_EQ(r.status, kExitUsage);
    EXPECT_TRUE(has(r.err, "1 to 31"));

    r = run([&](auto& o, auto& e) { return cli::runCutToSeconds(song, 3, dir.path().string(), o, e); });
    EXPECT_EQ(r.status, kExitOk) << r.err;
    EXPECT_TRUE(has(r.err, "cut at 00:03"));

    // A clip length is a time above 0 (the ways of writing a time are the engine's).
    for (const auto& [text, seconds] :
         {std::pair<const char*, std::optional<double>>{"1:30", 90.0}, {"0", {}}, {"-3", {}}})
        EXPECT_EQ(cli::parseClipLength(text), seconds) << text;
    r = runProgram("cut " + song + " --seconds 0:0");
    EXPECT_EQ(r.status, kExitUsage);
    EXPECT_TRUE(has(r.err, "a clip length is a time above 0"));
}

// A batch goes on past a file it cannot read and exits with 1. A name shows
// its control characters and its bytes that are not UTF-8 as '?' wherever
// the command line prints it, as the log does: no name moves the cursor or
// retitles the terminal.
TEST(CommandLine, CutAllGoesOnPastAFileItCannotReadAndNamesReachTheTerminalWithoutControlCharacters) {
    const auto plain = [](const std::string& text) {
        for (std::size_t at = 0; at < text.size();) {
            const std::size_t end = std::min(text.find_first_of("\r\n", at), text.size());
            std::string line = text.substr(at, end - at);
            for (std::size_t bar; (bar = line.find("\x1B[K")) != std::string::npos;) line.erase(bar, 3);
            if (withoutControlCharacters(line) != line) return false;
            at = end + 1;
        }
        return true;
    };
    for (const int columns : {0, 60}) {  // plain lines; a bar on a terminal 60 wide
        TempDir dir, out;
        const std::string titled = dir.write("a\x1B]0;owned\x07.mid", kTwentySeconds);
        dir.write("b\xC2\x9Bx.mid", Bytes{'M', 'T'});  // C1: cannot be read, so named in a failure and the summary
        dir.write("caf\xE9.mid", kTwentySeconds);      // Latin-1
        out.write(".quorvane-0a1b2c3d.tmp", {});       // left by a killed cut: removed first
        const Outcome r = run([&](auto& o, auto& e) {
            return cli::runCutAll(dir.path().string(), 4, out.path().string(), o, e, columns);
        });
        EXPECT_EQ(r.status, kExitFileError);
        EXPECT_EQ(r.out, dir.file("Quorvane.log") + "\n");
        EXPECT_TRUE(plain(r.err)) << r.err;
        const std::string failure =
            "B?X.MID: CANNOT READ MIDI FILE: the file ends early (1 more byte expected) (at byte 2)";
        const std::string summary = "Cut 2 of 3 files. Not cut:\n" + failure;
        // The failure is shown once, in either mode.
        const std::size_t at = r.err.find("[2/3] " + failure + "\n");
        EXPECT_TRUE(at != std::string::npos && r.err.find("[2/3] ", at + 1) == std::string::npos) << r.err;
        // Plain lines name each cut; the bar ends its line before the summary.
        EXPECT_TRUE(has(
            r.err, columns == 0 ? "[3/3] CAF?.MID -> " : "\r[####################] 3/3 CAF?.MID\x1b[K\n" + summary));
        EXPECT_TRUE(has(r.err, summary));
        EXPECT_TRUE(has(r.err, "A?]0;OWNED?.MID"));
        EXPECT_EQ(out.names(), (Names{"a\x1B]0;owned\x07-cut.mid", "caf\xE9-cut.mid"}));
        EXPECT_TRUE(has(fileText(dir.file("Quorvane.log")), "\r\n2. B?X.MID: CANNOT READ MIDI FILE"));
        if (columns) continue;
        const Outcome cut = runProgram("cut '" + titled + "' -s 3");
        EXPECT_EQ(cut.status, kExitOk) << cut.err;
        // A pipe gets the path as it is on disk, for the script that opens it.
        EXPECT_EQ(cut.out, dir.file("a\x1B]0;owned\x07-cut.mid") + "\n");
        EXPECT_EQ(cut.err, "a?]0;owned?.mid: cut at 00:03\n");
    }
}

TEST(CommandLine, TheProgressLineFitsTheTerminal) {
    EXPECT_EQ(cli::progressLine(1, 2, 4, "SONG.MID", 80), "[#####---------------] 2/4 SONG.MID");
    // Characters, not bytes.
    EXPECT_EQ(cli::progressLine(1, 2, 4, "\xC3\x89T\xC3\x89.MID", 32), "[#####---------------] 2/4 \xC3\x89T\xC3\x89.");
    EXPECT_EQ(cli::progressLine(1, 2, 4, "SONG.MID", 10), "2/4");
}

TEST(CommandLine, TheLogIsNeverWrittenThroughALinkNorByTwoBatchesAtOnce) {
    TempDir dir, other;
    const std::string song = dir.write("A.MID", kTwentySeconds);
    const std::string precious = other.write("precious", Bytes{'k', 'e', 'e', 'p'});
    const auto cutAll = [&] {
        return run([&](auto& o, auto& e) { return cli::runCutAll(dir.path().string(), 4, std::nullopt, o, e); });
    };
    for (const std::string& target : {precious, other.file("dangling")}) {
        std::filesystem::create_symlink(target, dir.path() / "Quorvane.log");
        const Outcome r = cutAll();
        EXPECT_EQ(r.status, kExitFileError);
        EXPECT_TRUE(has(r.err, "symbolic link"));
        std::filesystem::remove(dir.path() / "Quorvane.log");
    }
    // Nor through a hard link, nor into a pipe, and a pipe without a reader
    // does not make it wait.
    std::filesystem::create_hard_link(precious, dir.path() / "Quorvane.log");
    Outcome r = cutAll();
    EXPECT_EQ(r.status, kExitFileError);
    EXPECT_TRUE(has(r.err, "cannot create the log: it has other names (hard links)"));
    std::filesystem::remove(dir.path() / "Quorvane.log");
    ASSERT_EQ(::mkfifo(dir.file("Quorvane.log").c_str(), 0600), 0);
    r = cutAll();
    EXPECT_EQ(r.status, kExitFileError);
    EXPECT_TRUE(has(r.err, "cannot create the log: not a regular file"));
    std::filesystem::remove(dir.path() / "Quorvane.log");
    EXPECT_EQ(other.names(), Names{"precious"});
    EXPECT_EQ(fileText(precious), "keep");

    // A cut file that is a link is replaced, its target left alone.
    std::filesystem::create_symlink(precious, dir.path() / "a-cut.mid");
    EXPECT_EQ(run([&](auto& o, auto& e) { return cli::runCutAtPosition(song, 5, std::nullopt, o, e); }).status,
              kExitOk);
    EXPECT_FALSE(std::filesystem::is_symlink(dir.path() / "a-cut.mid"));
    EXPECT_EQ(fileText(precious), "keep");

    // While one batch holds the log, a second is refused and changes nothing.
    CutLog first(dir.file("Quorvane.log"));
    first.write("1. first\r\n");
    const Outcome second = cutAll();
    EXPECT_EQ(second.status, kExitFileError);
    EXPECT_TRUE(has(second.err, "another CUT ALL is writing this folder's log"));
    EXPECT_EQ(fileText(dir.file("Quorvane.log")), "1. first\r\n");
}

// While a batch holds DEST (as another process does), a batch from another
// folder and single cuts into DEST are refused and change nothing. A single
// cut also removes what killed cuts left in its folder.
TEST(CommandLine, ADestinationTakesOneBatchAtATime) {
    TempDir b, dest;
    const std::string song = b.write("B.MID", kTwentySeconds);
    const std::string into = " -d " + dest.path().string();
    {
        const DestinationLock batch(dest.path(), DestinationLock::Use::Batch);
        for (const std::string& args :
             {"cut-all " + b.path().string() + " -s 4", "cut " + song + " -p 5", "cut " + song + " -s 4"}) {
            const Outcome r = runProgram(args + into);
            EXPECT_EQ(r.status, kExitFileError) << args;
            EXPECT_TRUE(has(r.err, dest.path().string() + ": another CUT ALL is writing into this destination"))
                << args;
        }
        EXPECT_EQ(b.names(), Names{"B.MID"});  // not even a log
    }
    dest.write(".quorvane-0a1b2c3d.tmp", {});
    EXPECT_EQ(runProgram("cut " + song + " -p 5" + into).status, kExitOk);
    EXPECT_EQ(dest.names(), Names{"b-cut.mid"});
}

TEST(CommandLine, RefusalsSayWhatHappened) {
    TempDir dir;
    const std::string song = dir.write("A.MID", kTwentySeconds);
    std::filesystem::create_directory(dir.path() / "a-cut.mid");
    std::filesystem::create_directory(dir.path() / "Quorvane.log");
    const std::string longName = dir.write(std::string(236, 'n') + ".mid", kTwentySeconds);
    dir.write("two.mid", cat({header(2, 1, 96), track(kEndOfTrack)}));
    dir.write("odd.mid", cat({header(65535, 1, 96), track(kEndOfTrack)}));
    dir.write("faster.mid",
              cat({header(0, 1, 96),
                   track(cat({tempoEvent(500000), {0x01, 0xFF, 0x51, 0x03, 0x03, 0xD0, 0x90}, kEndOfTrack}))}));
    ASSERT_EQ(::mkfifo(dir.file("pipe.mid").c_str(), 0600), 0);  // would block a plain open for ever
    TempDir batch;
    batch.write("B.MID", kTwentySeconds);
    const struct {
        std::string args;
        int status;
        std::string said;
    } cases[] = {
        {"cut " + song + " -p 1", kExitFileError, "cannot replace the file: Is a directory"},
        {"cut " + song + " -p 1 --dest " + song, kExitFileError, "the destination is not a folder"},
        {"cut-all " + dir.path().string() + " -s 3", kExitFileError, "cannot create the log: Is a directory"},
        {"cut " + longName + " -p 1", kExitOk, std::string(236, 'n') + "-cut.mid"},
        {"info " + dir.file("two.mid"), kExitOk, "format:    2 (cannot be cut"},
        {"info " + dir.file("odd.mid"), kExitOk, "format:    65535 (cannot be cut"},
        {"info " + dir.file("faster.mid"), kExitOk, "start:     120 quarter notes per minute"},
        {"info " + song + " >/dev/full", kExitFileError, "cannot write the output: No space left on device"},
        {"info " + dir.file("pipe.mid"), kExitFileError, "pipe.mid: not a regular file"},
        {"cut -p 1 " + dir.file("pipe.mid"), kExitFileError, "pipe.mid: not a regular file"},
        {"bogus", kExitUsage, "unknown subcommand \"bogus\"; the subcommands are info, cut, cut-all"},
        // A destination is named when it is missing, before anything is cut or logged.
        {"cut " + song + " -s 3 --dest " + dir.file("gone"), kExitFileError,
         "--dest " + dir.file("gone") + ": no such folder"},
        {"cut-all " + dir.path().string() + " -s 3 -d " + dir.file("gone"), kExitFileError, "gone: no such folder"},
        {"cut " + song + " -p 1 --dest ''", kExitUsage, "--dest: an empty name names no folder"},
        {"cut-all " + dir.path().string() + " -s 3 --dest ''", kExitUsage, "--dest: an empty name names no folder"},
        // Fades: lengths from 0 s on and two curves; a start the song lacks names it.
        {"clip " + song + " --from 1 --fade-in -1", kExitUsage, "--fade-in: a fade lasts 0 s or more"},
        {"clip " + song + " --from 1 --fade-out soon", kExitUsage, "--fade-out: a fade lasts 0 s or more"},
        {"clip " + song + " --from 1 --fade-curve cubic", kExitUsage, "--fade-curve: cubic not in {linear,log}"},
        {"cut-all " + dir.path().string() + " -s 3 --fade-out -2", kExitUsage, "--fade-out: a fade lasts 0 s"},
        {"cut-all " + dir.path().string() + " -s 3 --from bar:0", kExitUsage, "--from: a point is seconds"},
        {"clip " + song + " --from marker:Verse --fade-in 1", kExitFileError, song + ": the song has no marker"},
        {"clip " + song + " --from 20 --fade-out 1", kExitFileError, song + ": the clip would start at 20 s"},
        {"clip " + song + " --from bar:11", kExitFileError, "CANNOT CUT FILE: " + song + ": the clip would start at"},
        {"clip " + song + " --from bar:3 --to bar:2", kExitFileError, "the clip would end before it starts"},
        {"cut-all " + batch.path().string() + " -s 3 --from 0:25 --fade-out 1", kExitFileError,
         "B.MID: CANNOT CUT FILE: the clip would start at 25 s"},
        // Each option's range, --position in the steps `info` shows.
        {"cut --help", kExitOk, "1 to N, where `info` shows \"positions: 1 to N\""},
        {"cut-all --help", kExitOk, "Files cut at once, 1 to 256"},
    };
    for (const auto& c : cases) {
        const Outcome r = runProgram(c.args);
        EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.err;
        EXPECT_TRUE(has((r.out + r.err), c.said)) << c.args << "\n" << r.out << r.err;
    }
}

#ifdef QUORVANE_WITH_PREVIEW
// Each cut gets its audio beside it, read back by sox, ending at most 2.5 s
// after the cut's last event; a cut whose audio cannot be written is cut,
// its one line says so, the batch goes on and ends with exit status 1.
TEST(CommandLine, CutAllWritesAnAudioPreviewOfEachCut) {
    TempDir dir, out;
    for (const char* name : {"format0_tempo_volume.mid", "format1_band.mid", "format1_div96_plain.mid"}) {
        std::filesystem::copy_file(std::string(QUORVANE_SAMPLES) + "/" + name, dir.path() / name);
    }
    std::filesystem::create_directory(out.path() / "FORMAT1_BAND-CUT.ogg");  // in the preview's way
    const Outcome r = runProgram("cut-all " + dir.path().string() + " -s 8 --preview ogg -d " + out.path().string());
    EXPECT_EQ(r.status, kExitFileError) << r.err;
    const std::string log = fileText(dir.file("Quorvane.log"));
    const std::size_t second = log.find("\r\n2. FORMAT1_BAND.MID: "), third = log.find("\r\n3. ");
    ASSERT_LT(second, third) << log;
    EXPECT_TRUE(has(log.substr(second, third - second),
                    " - Format: 1; PREVIEW NOT WRITTEN: audio preview FORMAT1_BAND-CUT.ogg: "));
    EXPECT_TRUE(has(r.err, "Cut 3 of 3 files. Previews not written:\nFORMAT1_BAND.MID: audio preview"));
    for (const std::string cut : {"format0_tempo_volume-cut", "FORMAT1_DIV96_PLAIN-CUT"}) {
        const double end = preview::readSongEvents(out.file(cut + ".mid")).lastEventSeconds;
        std::FILE* soxi = ::popen(("soxi -D " + out.file(cut + ".ogg")).c_str(), "r");
        double seconds = 0;
        EXPECT_EQ(std::fscanf(soxi, "%lf", &seconds), 1) << cut;
        ::pclose(soxi);
        EXPECT_GE(seconds, end) << cut;
        EXPECT_LE(seconds, end + 2.5) << cut;
    }
}

// A SoundFont that cannot play says what it is, in one line: FluidSynth's
// own complaints never reach stderr.
TEST(CommandLine, ASoundFontThatCannotPlaySaysWhatItIs) {
    TempDir dir;
    const Bytes soundFont = readBytes(preview::findSoundFont(std::nullopt));
    std::filesystem::create_directory(dir.path() / "folder.sf2");
    ASSERT_EQ(::mkfifo(dir.file("pipe.sf2").c_str(), 0600), 0);
    dir.write("text.sf2", Bytes{'t', 'e', 'x', 't'});
    dir.write("short.sf2", Bytes(soundFont.begin(), soundFont.begin() + 1000));
    Bytes inner = soundFont;  // whole, but its presets' chunk renamed
    const std::string presets = "pdta";
    const auto at = std::search(inner.begin(), inner.end(), presets.begin(), presets.end());
    ASSERT_NE(at, inner.end());
    *at = 'q';
    dir.write("inner.sf2", inner);
    const std::pair<const char*, std::string> cases[] = {
        {"missing.sf2", "no such SoundFont file"},
        {"folder.sf2", "a folder, not a SoundFont file"},
        {"pipe.sf2", "a pipe, not a SoundFont file"},
        {"text.sf2", "not a SoundFont file: it does not begin as a .sf2 file does"},
        {"short.sf2",
         "damaged SoundFont: the file ends early (1000 of " + std::to_string(soundFont.size()) + " bytes)"},
        {"inner.sf2", "damaged SoundFont: the synthesizer cannot load it"},
    };
    for (const auto& [name, said] : cases) {
        const Outcome r = runProgram("render " QUORVANE_SAMPLES "/format1_div96_plain.mid --out " + dir.file("x.wav") +
                                     " --soundfont " + dir.file(name));
        EXPECT_EQ(r.status, kExitFileError) << name;
        EXPECT_EQ(r.err, "CANNOT OPEN FILE: " + dir.file(name) + ": " + said + "\n");
    }
    EXPECT_EQ(dir.names(), (Names{"folder.sf2", "inner.sf2", "pipe.sf2", "short.sf2", "text.sf2"}));
}
#endif

}  // namespace
}  // namespace quorvane::test
