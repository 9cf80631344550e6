#include <sstream>

#include "cli/commands.hpp"
#include "engine_test_util.hpp"

namespace quorvane::test {
namespace {

using cli::kExitFileError;
using cli::kExitOk;
using cli::kExitUsage;

Bytes songOfQuarters(std::uint32_t quarters) {
    Bytes notes;
    for (std::uint32_t q = 0; q < quarters; ++q) notes = cat({notes, {0x00, 0x90, 60, 90}, {0x83, 0x60, 0x80, 60, 0}});
    return cat({header(0, 1, 480), track(cat({tempoEvent(500000), notes, kEndOfTrack}))});
}

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

TEST(CommandLine, CutPrintsThePathWrittenAndChecksTheRange) {
    TempDir dir;
    const std::string song = dir.write("Tune.mid", songOfQuarters(40));  // 20 s
    Outcome r = run([&](auto& o, auto& e) { return cli::runCutAtPosition(song, 5, std::nullopt, o, e); });
    EXPECT_EQ(r.status, kExitOk) << r.err;
    EXPECT_EQ(r.out, (dir.path() / "tune-cut.mid").string() + "\n");

    // 20 s at 120 bpm is 30,720 music ticks: 31 steps of 1000 reach the end.
    r = run([&](auto& o, auto& e) { return cli::runCutAtPosition(song, 32, std::nullopt, o, e); });
    EXPECT_EQ(r.status, kExitUsage);
    EXPECT_NE(r.err.find("1 to 31"), std::string::npos) << r.err;

    r = run([&](auto& o, auto& e) { return cli::runCutToSeconds(song, 3, dir.path().string(), o, e); });
    EXPECT_EQ(r.status, kExitOk) << r.err;
    EXPECT_NE(r.err.find("cut at 00:03"), std::string::npos) << r.err;
}

TEST(CommandLine, UnreadableInputExitsWithOneAndNamesTheFile) {
    TempDir dir;
    const std::string bad = dir.write("BAD.MID", cat({header(0, 1, 96), track({0x00, 0xFF, 0x81, 0x00})}));
    for (auto command : {+[](const std::string& f, std::ostream& o, std::ostream& e) { return cli::runInfo(f, o, e); },
                         +[](const std::string& f, std::ostream& o, std::ostream& e) {
                             return cli::runCutAtPosition(f, 1, std::nullopt, o, e);
                         }}) {
        const Outcome r = run([&](auto& o, auto& e) { return command(bad, o, e); });
        EXPECT_EQ(r.status, kExitFileError);
        EXPECT_EQ(r.err.rfind("CANNOT READ MIDI FILE: ", 0), 0u) << r.err;
        EXPECT_NE(r.err.find("BAD.MID"), std::string::npos) << r.err;
    }
    EXPECT_EQ(dir.names(), std::vector<std::string>{"BAD.MID"});
}

TEST(CommandLine, CutAllGoesOnPastAFileItCannotReadAndExitsWithOne) {
    TempDir dir, out;
    dir.write("A.MID", songOfQuarters(40));
    dir.write("B.MID", Bytes{'M', 'T'});
    dir.write("C.MID", songOfQuarters(40));
    const Outcome r = run([&](auto& o, auto& e) { return cli::runCutAll(dir.path().string(), 4, out.path().string(), o, e); });
    EXPECT_EQ(r.status, kExitFileError);
    EXPECT_EQ(r.out, dir.file("Quorvane.log") + "\n");
    const std::string failure = "B.MID: CANNOT READ MIDI FILE: the file ends early (1 more byte expected) (at byte 2)";
    EXPECT_NE(r.err.find("[2/3] " + failure + "\n"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("[3/3] C.MID -> "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("Cut 2 of 3 files. Not cut:\n" + failure), std::string::npos) << r.err;
    EXPECT_EQ(out.names(), (std::vector<std::string>{"a-cut.mid", "c-cut.mid"}));
    const Bytes log = readBytes(dir.file("Quorvane.log"));
    EXPECT_EQ(std::string(log.begin(), log.end()),
              "1. A.MID: 00:20\tA-cut.mid:00:04 - Format: 0\r\n2. " + failure + "\r\n" +
                  "3. C.MID: 00:20\tC-cut.mid:00:04 - Format: 0\r\n");
}

}  // namespace
}  // namespace quorvane::test
