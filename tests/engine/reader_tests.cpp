#ifndef _WIN32
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <future>
#include <thread>

#include "engine/byte_reader.hpp"
#include "engine/cut_name.hpp"
#include "platform/output_file.hpp"
#include "platform/files.hpp"
#include "engine/smf.hpp"
#include "engine_test_util.hpp"

namespace quorvane::test {
namespace {

TEST(ByteReader, VariableLengthQuantitiesKeepTheirBytes) {
    const Bytes data = {0x80, 0x00, 0x81, 0x80, 0x80, 0x00, 0x7F, 0xFF, 0xFF, 0xFF, 0x7F};
    ByteReader in(data, "mem");
    const Vlq twoByteZero = in.vlq(), four = in.vlq();
    EXPECT_EQ(Bytes(twoByteZero.bytes().begin(), twoByteZero.bytes().end()), (Bytes{0x80, 0x00}));
    EXPECT_EQ(std::tuple(twoByteZero.value, four.value, four.size), std::tuple(0u, 2097152u, 4));
    EXPECT_EQ(in.vlq().value, 0x7Fu);
    EXPECT_EQ(in.vlq().value, kVlqMax);
    for (std::uint32_t v : {0u, 0x7Fu, 0x80u, 0x3FFFu, 0x4000u, 2097152u, kVlqMax}) {
        const Vlq encoded = encodeVlq(v);
        ByteReader back(encoded.bytes(), "mem");
        EXPECT_EQ(back.vlq().value, v);
        EXPECT_EQ(back.offset(), encoded.size);
    }
    EXPECT_THROW(encodeVlq(kVlqMax + 1), std::out_of_range);
}

TEST(ByteReader, FailsWithFileAndOffsetAtTheEndOrOnOverlongQuantities) {
    const Bytes shortData = {0x00, 0x81};
    ByteReader in(shortData, "song.mid");
    in.u8();
    const std::string message = expectFileError([&] { in.vlq(); });
    EXPECT_EQ(message.rfind("CANNOT READ MIDI FILE: song.mid: the file ends early", 0), 0u) << message;
    EXPECT_TRUE(has(message, "(1 more byte expected) (at byte 2)"));

    const Bytes fiveBytes = {0x81, 0x81, 0x81, 0x81, 0x01};
    ByteReader overlong(fiveBytes, "x.mid");
    expectFileError([&] { overlong.vlq(); });

    // The same across the edge of the 64 KiB read buffer, wherever it falls.
    TempDir dir;
    for (std::size_t before = 1; before <= 4; ++before) {
        const std::size_t at = 64 * 1024 - before;
        ByteReader in = ByteReader::open(dir.write("edge.mid", cat({Bytes(at, 0), fiveBytes})), "edge.mid");
        in.skip(at);
        EXPECT_TRUE(has(expectFileError([&] { in.vlq(); }), "longer than four bytes (at byte " + std::to_string(at)));
    }
    // A quantity ending in the file's only byte past the buffer.
    ByteReader last = ByteReader::open(dir.write("last.mid", cat({Bytes(64 * 1024 - 1, 0), {0x81, 0x00}})), "last.mid");
    last.skip(64 * 1024 - 1);
    EXPECT_EQ(last.vlq().value, 128u);
}

// Reads the events of `bytes` as the measure does, with or without the tight
// loop over channel messages: ticks, running status and place, or the refusal.
std::string scanEvents(const Bytes& bytes, bool tightLoop) {
    ByteReader in(bytes, "t.mid");
    in.setLimit(bytes.size());
    EventReader events(in);
    std::uint64_t ticks = 0;
    try {
        for (;;) {
            if (tightLoop) skipChannelMessages(in, events, ticks);
            if (in.atLimit()) break;
            ticks += in.vlq().value;
            const EventHead head = events.next();
            if (head.kind == EventKind::Meta || head.kind == EventKind::SysEx) in.skip(head.length.value);
        }
    } catch (const FileError& error) {
        return userMessage(error);
    }
    return std::to_string(ticks) + " ticks, status " + hexByte(events.runningStatus()) + ", at " +
           std::to_string(in.offset());
}

TEST(EventScanner, TheTightLoopReadsAndRefusesAsTheEventLoopDoes) {
    const Bytes notes = {0x00, 0x90, 60,   100,  0x10, 62,   100,  0x81, 0x00, 0xC3, 5,    0x05, 7,    0x00,
                         0xD0, 0x40, 0x83, 0x80, 0x80, 0x00, 0xE1, 0x00, 0x40, 0x7F, 0x00, 0x40, 0x00, 0x10};
    const Bytes tails[] = {
        {},
        {0x81, 0x81, 0x81, 0x81, 0x01, 60, 0},                       // delta-time of five bytes
        {0x00, 0xF1, 0x10, 0x00, 61, 0},                             // a system message, then running status
        {0x00, 0xFF, 0x01, 0x01, 'x', 0x00, 61, 0, 0x00, 0x80, 60},  // meta, then a note
        {0x00, 0xF0, 0x01, 0xF7, 0x00, 0xB0, 0x07, 0x64},            // SysEx, then a controller
        {0x00, 0x90, 60, 0xFF, 0x00, 61, 0},                         // a velocity of 0xFF: refused
        {0x00, 0xF1, 0x10, 0x00, 61, 0x80},                          // 0x80 under running status: refused
    };
    for (const Bytes& tail : tails) {
        // A data byte first (no running status yet), and the same after notes.
        for (const Bytes& song : {cat({notes, tail}), cat({{0x00, 0x40, 0x40}, notes, tail})}) {
            // Every length: each message also ends short, at the chunk's end.
            for (std::size_t size = 0; size <= song.size(); ++size) {
                const Bytes part(song.begin(), song.begin() + static_cast<std::ptrdiff_t>(size));
                EXPECT_EQ(scanEvents(part, true), scanEvents(part, false)) << "first " << size << " bytes";
            }
        }
    }
    EXPECT_TRUE(has(scanEvents(tails[5], true), "data byte 0xFF of a channel message has its top bit set (at byte 3)"));
    EXPECT_TRUE(has(scanEvents(cat({{0x00, 0x90, 60, 1}, tails[6]}), true), "data byte 0x80 of a channel message"));
}

TEST(PreReader, FindsTheFirstTempoWhereverItIs) {
    const Bytes longHeader = cat({{'M', 'T', 'h', 'd'}, be32(8), {0, 1, 0, 2, 0x01, 0xE0, 0xAA, 0xBB}});
    Bytes many = header(1, 0x0103, 480);  // a track count above 255
    for (int k = 0; k < 0x0102; ++k) many = cat({many, track(kEndOfTrack)});
    const Bytes everyKind = cat({{0x00, 0x90, 60, 100},              // note on
                                 {0x10, 62, 100},                    // running status
                                 {0x81, 0x80, 0x80, 0x00, 0xC0, 5},  // four-byte delta, program change
                                 {0x00, 0xF0, 0x81, 0x00},
                                 tempoEvent(1),
                                 Bytes(121, 0x11),                // SysEx of 128 bytes, not read as events
                                 {0x00, 0xF7, 0x02, 0xFF, 0x80},  // escape: its data is not a meta type
                                 {0x00, 0xF8, 0x00, 0xF2, 0x01, 0x02, 0x00, 0xF1, 0x03},  // stray system messages
                                 {0x00, 0xFF, 0x01, 0x81, 0x00},
                                 Bytes(128, 'a'),  // long text event
                                 {0x00, 62},       // running status (program change) survives meta and SysEx
                                 tempoEvent(400000),
                                 kEndOfTrack});
    const std::pair<Bytes, std::tuple<int, std::uint32_t, std::uint32_t>> cases[] = {
        {cat({header(1, 2, 480),
              track(cat(
                  {{0x00, 0xFF, 0x58, 0x04, 4, 2, 24, 8}, {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20}, kEndOfTrack}))}),
         {1, 500000, 480}},
        // The scan stops at the tempo, so the second track (cut off here) is never read.
        {cat({header(1, 2, 30), track(cat({tempoEvent(600000), kEndOfTrack})), {'M', 'T', 'r'}}), {1, 600000, 30}},
        {cat({header(0, 1, 96), track(everyKind)}), {0, 400000, 96}},
        {cat({longHeader, chunk("XFIH", {1, 2, 3}), track(cat({kEndOfTrack, {0x99, 0x99}})), chunk("junk", {}),
              track(cat({tempoEvent(250000), kEndOfTrack}))}),
         {1, 250000, 480}},
        {cat({many, track(cat({tempoEvent(300000), kEndOfTrack}))}), {1, 300000, 480}},
        // Without a tempo the default holds.
        {cat({header(2, 1, 96), track(cat({{0x00, 0x90, 1, 1}, kEndOfTrack}))}), {2, 500000, 96}},
        {header(1, 0, 480), {1, 500000, 480}},
    };
    TempDir dir;
    for (const auto& [bytes, expected] : cases) {
        const SongHeader s = preRead(dir.write("SONG.MID", bytes));
        EXPECT_EQ(std::make_tuple(s.format, s.tempo, s.division), expected);
        // The correctly rounded quotient.
        EXPECT_EQ(s.tickMs, std::get<1>(expected) / (std::get<2>(expected) * 1000.0));
    }
}

TEST(PreReader, UnplaceableInputIsAnErrorNamingFileAndReason) {
    const Bytes ok = cat({header(0, 1, 96), track(cat({tempoEvent(500000), kEndOfTrack}))});
    const std::pair<Bytes, const char*> cases[] = {
        {Bytes(ok.begin(), ok.begin() + 20), "ends early"},
        {cat({header(0, 1, 96), track(cat({{0x00, 0xFF, 0x80, 0x00}, kEndOfTrack}))}), "meta event type 0x80"},
        {cat({header(0, 1, 96), track(cat({{0x00, 0x40, 0x40}, kEndOfTrack}))}), "data byte 0x40"},
        {header(0, 1, 0), "division of 0"},
        {header(0, 1, 0xE728), "SMPTE time division 0xE728 is not supported"},
        {cat({header(0, 1, 96), track({0x00, 0xFF, 0x51, 0x02, 0x07, 0xA1})}), "Set Tempo"},
        {cat({header(0, 1, 96), track(tempoEvent(0))}), "Set Tempo of 0"},
        {cat({{'M', 'T', 'h', 'd'}, be32(5), {0, 0, 0, 1, 0}}), "header length 5"},
        {{'R', 'I', 'F', 'F', 0, 0, 0, 0}, "not a Standard MIDI File"},
        {cat({header(0, 2, 96), track(kEndOfTrack)}), "ends early"},
        // An event may not run on into the next chunk.
        {cat({header(0, 1, 96), track({0x00, 0xFF, 0x51, 0x03, 0x07}), chunk("XTRA", {0xA1, 0x20, 0, 0})}),
         "ends inside an event (1 more byte expected)"},
    };
    TempDir dir;
    for (const auto& [bytes, reason] : cases) {
        const std::string path = dir.write("BAD.MID", bytes);
        const std::string message = expectFileError([&] { preRead(path); });
        EXPECT_TRUE(has(message, reason));
        EXPECT_TRUE(has(message, path));
    }
    expectFileError([&] { preRead(dir.file("NOPE.MID")); }, ErrorKind::CannotOpen);
}

TEST(CutName, BesideTheSourceOrInTheDestinationFolder) {
    const std::string sep(1, static_cast<char>(std::filesystem::path::preferred_separator));
    EXPECT_EQ(cutFilePath("music" + sep + "Tune.mid", "TUNE.MID", ""), "music" + sep + "Tune-CUT.mid");
    EXPECT_EQ(cutFilePath("music" + sep + "Tune.mid", "TUNE.MID", "Out"), "Out" + sep + "TUNE-CUT.mid");
    // Only the name is lower-cased, to its first character; the folder keeps its case.
    EXPECT_EQ(lowerCaseFileName("Out" + sep + "TUNE-CUT.mid"), "Out" + sep + "tune-cut.mid");
    EXPECT_EQ(lowerCaseFileName("JAZZ-CUT.mid"), "jazz-cut.mid");
    EXPECT_EQ(lowerCaseSuffix("-CUT.mid"), "-cut.mid");
    EXPECT_EQ(lowerCaseSuffix("X" + sep + "TUNE-CUT.MID"), "X" + sep + "TUNE-cut.mid");
    EXPECT_EQ(withoutExtension("\xC3\x89T\xC3\x89.MID"), "\xC3\x89T\xC3\x89");
    // A name without ".mid" is kept whole, and the cut stays in its folder.
    for (const auto& [name, cut] : {std::pair{"a", "a-CUT.mid"},
                                    {"noext", "noext-CUT.mid"},
                                    {"song.midi", "song.midi-CUT.mid"},
                                    {"x.MiD", "x-CUT.mid"},
                                    {".mid", "-CUT.mid"},
                                    {"\xC3\x89.mid", "\xC3\x89-CUT.mid"}}) {
        EXPECT_EQ(cutFilePath("x" + sep + "sub" + sep + name, name, ""), "x" + sep + "sub" + sep + cut);
        EXPECT_EQ(cutFilePath("x" + sep + name, name, "Out"), "Out" + sep + cut);
    }
}

TEST(OutputFile, NothingIsLeftUnlessCommitted) {
    TempDir dir;
    dir.write("KEEP.mid", {1, 2, 3});
    for (const bool commit : {false, true}) {  // abandoned first, as when a cut fails
        {
            OutputFile out(dir.path() / "KEEP.mid", "KEEP.mid");
            out.put({0, 0, 0, 0, 0, 0});
            out.patchU32(1, 0x01020304);
            if (commit) out.commit();
        }
        EXPECT_EQ(dir.names(), std::vector<std::string>{"KEEP.mid"});
        EXPECT_EQ(readBytes(dir.file("KEEP.mid")), (commit ? Bytes{0, 1, 2, 3, 4, 0} : Bytes{1, 2, 3}));
    }
    expectFileError([&] { OutputFile(dir.path() / "missing" / "X.mid", "X.mid"); }, ErrorKind::CannotWrite);
}

// A cut that cannot take the old one's place leaves it whole, and no
// temporary: a folder there refuses it everywhere, and on Windows so does a
// cut open in another program (rename() elsewhere heeds the folder alone).
TEST(OutputFile, AFailedReplaceKeepsTheOldFileAndLeavesNoTemporary) {
    for (const bool folder : {true, false}) {
        TempDir dir;
        const std::filesystem::path target = dir.path() / "X-CUT.mid";
        folder ? (void)std::filesystem::create_directories(target / "in") : (void)dir.write("X-CUT.mid", {1, 2});
        std::ifstream holder(target, std::ios::binary);
        OutputFile out(target, "X-CUT.mid");
        out.put({9});
        const bool refused = folder || !kOpenFilesMayBeRenamed;
        if (refused) expectFileError([&] { out.commit(); }, ErrorKind::CannotWrite);
        if (!refused) out.commit();
        EXPECT_EQ(dir.names(), std::vector<std::string>{"X-CUT.mid"}) << folder;
        if (!folder) {
            EXPECT_EQ(readBytes(target.string()), (refused ? Bytes{1, 2} : Bytes{9}));
        }
    }
}

#ifndef _WIN32
// A cut killed at `killAt` (an OutputFile step), in a child process.
const char* killAt = nullptr;
void killedCut(const std::filesystem::path& target) {
    const pid_t child = ::fork();
    if (child == 0) {
        OutputFile::stepHook = [](const char* step) {
            if (std::strcmp(step, killAt) == 0) ::raise(SIGKILL);
        };
        OutputFile out(target, "X");
        out.put(Bytes(300000, 7));
        out.commit();
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << killAt;
}

#endif

TEST(OutputFile, AKilledCutLeavesNothingOrWhatTheNextBatchRemoves) {
    TempDir dir;
    dir.write("keep.mid", {1});
#ifdef _WIN32
    // Without fork(), the temporary a cut killed on Windows leaves beside the older cut.
    dir.write(".quorvane-0a1b2c3d.tmp", {});
    dir.write("X-CUT.mid", {2});
#else
    for (const char* step : {"writing", "complete"}) {
        killAt = step;
        killedCut(dir.path() / "X-CUT.mid");
        EXPECT_EQ(dir.names(), std::vector<std::string>{"keep.mid"}) << step;
    }
    // Killed in the instant between naming and renaming over an older cut,
    // or by an earlier version: removed before a batch, and nothing else is.
    dir.write("X-CUT.mid", {2});
    killAt = "named";
    killedCut(dir.path() / "X-CUT.mid");
#endif
    dir.write(".Song-cut.mid.09az1b2c.tmp", {});  // its code spans 0-9 and a-z
    dir.write(".notes.0a1b2c3d.tmp", {});
    EXPECT_EQ(dir.names().size(), 5u);
    dir.write(".quorvane-0a1b2c3_.tmp", {});  // not a name of ours
    // A cut still being written keeps its temporary (on Windows it has one).
    OutputFile running(dir.path() / "R-CUT.mid", "R-CUT.mid");
    removeLeftoverTemporaries(dir.path().string());
    running.commit();
    std::filesystem::remove(dir.path() / "R-CUT.mid");
    EXPECT_EQ(dir.names(),
              (std::vector<std::string>{".notes.0a1b2c3d.tmp", ".quorvane-0a1b2c3_.tmp", "X-CUT.mid", "keep.mid"}));
    EXPECT_EQ(readBytes(dir.file("X-CUT.mid")), Bytes{2});
}

#ifndef _WIN32
// Only the file's name counts toward the path limit: a cut whose whole path
// is longer than PATH_MAX is created, replaced, and its leftovers removed.
TEST(OutputFile, ACutPastThePathLimitIsCreatedAndReplaced) {
    TempDir dir;
    std::filesystem::path folder = dir.path();
    while (folder.native().size() < 3900) folder /= std::string(200, 'd');
    std::filesystem::create_directories(folder);
    const std::string name = std::string(240, 'n') + "-CUT.mid";
    ASSERT_GT((folder / name).native().size(), 4096u);
    const int at = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const auto contents = [&](const std::string& file) {
        const int fd = ::openat(at, file.c_str(), O_RDONLY | O_CLOEXEC);
        Bytes bytes(8);
        bytes.resize(fd < 0 ? 0 : static_cast<std::size_t>(std::max<ssize_t>(0, ::read(fd, bytes.data(), 8))));
        if (fd >= 0) ::close(fd);
        return bytes;
    };
    for (const std::uint8_t version : {1, 2}) {  // created, then replaced
        OutputFile out(folder / name, name);
        out.put({version});
        out.commit();
        EXPECT_EQ(contents(name), Bytes{version});
    }
    ::close(::openat(at, ".quorvane-0a1b2c3d.tmp", O_WRONLY | O_CREAT | O_CLOEXEC, 0600));
    removeLeftoverTemporaries(folder.string());
    EXPECT_EQ(contents(".quorvane-0a1b2c3d.tmp"), Bytes{});
    EXPECT_EQ(std::filesystem::directory_iterator(folder)->path().filename(), name);
    ::unlinkat(at, name.c_str(), 0);  // too long a path for remove_all
    ::close(at);
}
#endif

// A lock of its own thread, as another process holds it (a Windows mutex
// belongs to the thread that took it).
class HeldLock {
public:
    HeldLock(const std::filesystem::path& folder, DestinationLock::Use use) {
        thread_ = std::thread([this, folder, use] {
            const DestinationLock lock(folder, use);
            taken_.set_value(lock.refusedBy());
            release_.get_future().wait();
        });
        refusedBy = taken_.get_future().get();
    }
    ~HeldLock() {
        release_.set_value();
        thread_.join();
    }
    DestinationLock::Holder refusedBy;

private:
    std::promise<DestinationLock::Holder> taken_;
    std::promise<void> release_;
    std::thread thread_;
};

TEST(DestinationLock, ABatchHasItsDestinationToItselfWhileSingleCutsShareTheirs) {
    using Use = DestinationLock::Use;
    using Holder = DestinationLock::Holder;
    TempDir dir, other;
    {
        const HeldLock batch(dir.path(), Use::Batch);
        EXPECT_EQ(batch.refusedBy, Holder::None);
        EXPECT_EQ(HeldLock(dir.path(), Use::Batch).refusedBy, Holder::Batch);
        EXPECT_EQ(HeldLock(dir.path(), Use::SingleCut).refusedBy, Holder::Batch);
        EXPECT_EQ(HeldLock(other.path(), Use::Batch).refusedBy, Holder::None);
    }
    {
        const HeldLock cut(dir.path(), Use::SingleCut);
        EXPECT_EQ(HeldLock(dir.path(), Use::SingleCut).refusedBy, Holder::None);
        EXPECT_EQ(HeldLock(dir.path(), Use::Batch).refusedBy, Holder::SingleCut);
    }
    EXPECT_EQ(HeldLock(dir.path(), Use::Batch).refusedBy, Holder::None);
    EXPECT_EQ(dir.names(), std::vector<std::string>{});  // no file behind
}

}  // namespace
}  // namespace quorvane::test
