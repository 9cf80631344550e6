#include <algorithm>

#include "engine/smf.hpp"
#include "engine_test_util.hpp"

namespace quorvane::test {
namespace {

// Cuts `source`, written as `name` and listed as SONG.MID, at the source tick
// `cutTick` into `dest` (or beside the source); returns the cut file's bytes.
template <CutResult (*kCutter)(const CutRequest&)>
class CutFixture : public ::testing::Test {
public:
    Bytes cut(const Bytes& source, std::uint64_t cutTick, const std::string& name = "Song.mid", bool intoDest = true) {
        request = preparedRequest(src.write(name, source), cutTick);
        request.listedName = "SONG.MID";
        request.destFolder = intoDest ? dest.path().string() : "";
        result = kCutter(request);
        return readBytes(result.path);
    }
    TempDir src, dest;
    CutRequest request;
    CutResult result;
};
using FormatOne = CutFixture<&cutFormatOne>;

// 96 ticks per quarter note: the first bar line (four quarters) is tick 384.
constexpr std::uint16_t kDivision = 96;
constexpr std::uint64_t kBar = 384;

// End of Track 1920 ticks after the last event: past the cuts below.
const Bytes kEndLater = {0x8F, 0x00, 0xFF, 0x2F, 0x00};

// A Format 1 song of these track bodies.
Bytes song(const std::vector<Bytes>& tracks, std::uint16_t division = kDivision) {
    Bytes out = header(1, static_cast<std::uint16_t>(tracks.size()), division);
    for (const Bytes& body : tracks) out = cat({out, track(body)});
    return out;
}

// How a track that reaches the cut ends, `delta` ticks after its last event:
// for each channel of `used` (ascending) a pedal release if it is in
// `pedalDown`, then All Sound Off; then End of Track. The first event takes
// the delta-time.
Bytes ending(std::uint32_t delta, std::initializer_list<int> used = {}, std::initializer_list<int> pedalDown = {}) {
    Bytes out, time = vlqBytes(delta);
    const auto put = [&](const Bytes& event) {
        out = cat({out, time, event});
        time = {0x00};
    };
    for (const int channel : used) {
        const auto status = static_cast<std::uint8_t>(0xB0 + channel);
        if (std::find(pedalDown.begin(), pedalDown.end(), channel) != pedalDown.end()) put({status, 0x40, 0x00});
        put({status, 0x78, 0x00});
    }
    put({0xFF, 0x2F, 0x00});
    return out;
}

// One track, cut at `cutTick`, and what is left of it.
struct TrackCase {
    const char* what;
    Bytes source;  // the track's events, End of Track included (unless the case is its absence)
    Bytes expected;
    std::uint64_t cutTick = kBar;
};

// Each case as a one-track song; then again with bytes after its End of
// Track, which put every message before it within the copier's fast path.
void expectTracks(FormatOne& test, const std::vector<TrackCase>& cases) {
    for (const TrackCase& c : cases) {
        EXPECT_EQ(test.cut(song({c.source}), c.cutTick), song({c.expected})) << c.what;
        EXPECT_EQ(test.cut(song({cat({c.source, Bytes(8, 0x00)})}), c.cutTick), song({c.expected}))
            << c.what << ", fast path";
    }
}

TEST_F(FormatOne, EveryTrackThatReachesTheCutEndsOnTheBarLine) {
    // 480 ticks per quarter: the cut at the bar line at tick 3840.
    const std::vector<TrackCase> cases = {
        {"a tempo track ends with End of Track on the bar line",
         cat({tempoEvent(500000), {0xCE, 0x10, 0xFF, 0x2F, 0x00}}),  // End of Track at 10000
         cat({tempoEvent(500000), ending(3840)})},
        {"a dropped system byte's time goes to the next event; the event on the bar line is dropped",
         cat({{0x00, 0xC1, 0x05},
              {0x01, 0xF8},                 // clock byte: dropped, its time kept
              {0x9D, 0x7E, 0x91, 60, 100},  // tick 3839: kept
              {0x01, 0x81, 60, 0},          // tick 3840: dropped
              kEndOfTrack}),
         cat({{0x00, 0xC1, 0x05, 0x9D, 0x7F, 0x91, 60, 100}, ending(1, {1})})},
        {"a track of text uses no channel",
         cat({{0x00, 0xFF, 0x03, 0x01, 'x'}, {0xA7, 0x08, 0xFF, 0x2F, 0x00}}),  // End of Track at 5000
         cat({{0x00, 0xFF, 0x03, 0x01, 'x'}, ending(3840)})},
        {"a track whose first event is past the cut", cat({{0x9F, 0x20, 0x92, 1, 1}, kEndOfTrack}), ending(3840)},
        {"a track ending earlier keeps its End of Track",
         cat({{0x00, 0x93, 1, 1}, {0x64, 0x83, 1, 0}, {0x9D, 0x1B, 0xFF, 0x2F, 0x00}}),  // End of Track at 3839
         cat({{0x00, 0x93, 1, 1}, {0x64, 0x83, 1, 0}, {0x9D, 0x1B, 0xFF, 0x2F, 0x00}})},
        {"a track ending earlier without End of Track gets one where it ends",
         {0x00, 0x94, 1, 1},
         cat({{0x00, 0x94, 1, 1}, kEndOfTrack})},
        {"a track without End of Track that reaches the cut",
         {0x00, 0x95, 1, 1, 0x9E, 0x00, 0x95, 1, 0},
         cat({{0x00, 0x95, 1, 1}, ending(3840, {5})})},
        {"a dropped system byte's time goes to the closing delta",
         cat({{0x00, 0x96, 1, 1}, {0x8F, 0x00, 0xF8}, {0x8F, 0x00, 0x86, 1, 0}, kEndOfTrack}),  // 1920, 3840
         cat({{0x00, 0x96, 1, 1}, ending(3840, {6})})},
    };
    for (const TrackCase& c : cases) {
        EXPECT_EQ(cut(cat({header(1, 1, 480), track(c.source)}), 3840), cat({header(1, 1, 480), track(c.expected)}))
            << c.what;
    }
    // All in one song: each track as alone.
    Bytes source = header(1, static_cast<std::uint16_t>(cases.size()), 480), expected = source;
    for (const TrackCase& c : cases) {
        source = cat({source, track(c.source)});
        expected = cat({expected, track(c.expected)});
    }
    EXPECT_EQ(cut(source, 3840), expected);
    EXPECT_EQ(result.path, (dest.path() / "SONG-CUT.mid").string());
}

// Each channel the track used before the cut is silenced, in ascending
// order, a pedal down (controller 64 at 64 or more) released first. Songs of
// many channels, tracks and pedals are cut in large_file_tests.cpp and by
// the mido checks; here, what those seldom meet.
TEST_F(FormatOne, SilencesEachChannelTheTrackUsedAndReleasesItsPedal) {
    Bytes everyChannel;  // from channel 15 down to 0, messages of every kind
    for (int channel = 15; channel >= 0; --channel) {
        const auto status = static_cast<std::uint8_t>(0x80 + 0x10 * (channel % 7) + channel);
        everyChannel = cat({everyChannel, {0x00, status, 1}, channelDataCount(status) == 2 ? Bytes{1} : Bytes{}});
    }
    const auto kept = [](const char* what, const Bytes& events, const Bytes& end) {
        return TrackCase{what, cat({events, kEndLater}), cat({events, end})};
    };
    const std::vector<TrackCase> cases = {
        kept("all sixteen", everyChannel, ending(384, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15})),
        {"a message after a dropped system byte counts", cat({{0x01, 0xF8, 0x04, 0x9C, 1, 1}, kEndLater}),
         cat({{0x05, 0x9C, 1, 1}, ending(379, {12})})},
        {"a message on or after the cut does not count",
         cat({{0x00, 0x91, 1, 1, 0x83, 0x00, 0x92, 1, 1, 0x00, 0x93, 1, 1}, kEndLater}),
         cat({{0x00, 0x91, 1, 1}, ending(384, {1})})},
        kept("64 is down, 63 up, 65 is another controller",
             {0x00, 0xB3, 64, 64, 0x00, 0xB5, 64, 63, 0x00, 0xB7, 64, 127, 0x00, 65, 0},
             ending(384, {3, 5, 7}, {3, 7})),
        kept("a 64 that is no controller's", {0x00, 0xC6, 64, 0x00, 0xD6, 64, 0x00, 0xA6, 64, 127}, ending(384, {6})),
        {"down after a dropped system byte", cat({{0x01, 0xF8, 0x00, 0xB4, 64, 127}, kEndLater}),
         cat({{0x01, 0xB4, 64, 127}, ending(383, {4}, {4})})},
        {"down on the cut", cat({{0x00, 0xB1, 64, 0, 0x83, 0x00, 64, 127}, kEndLater}),
         cat({{0x00, 0xB1, 64, 0}, ending(384, {1})})},
    };
    expectTracks(*this, cases);
}

TEST_F(FormatOne, AnEventOnTheCutIsDroppedAndOneTickEarlierKept) {
    const std::vector<TrackCase> cases = {
        {"one tick earlier", cat({{0x82, 0x7F, 0x90, 1, 1}, kEndLater}),
         cat({{0x82, 0x7F, 0x90, 1, 1}, ending(1, {0})})},
        {"on the cut", cat({{0x83, 0x00, 0x90, 1, 1}, kEndLater}), ending(384)},
        {"running status on the cut", cat({{0x00, 0x90, 1, 1, 0x83, 0x00, 1, 0}, kEndLater}),
         cat({{0x00, 0x90, 1, 1}, ending(384, {0})})},
        {"a meta event on the cut", cat({{0x00, 0x90, 1, 1, 0x83, 0x00, 0xFF, 0x01, 0x01, 'x'}, kEndLater}),
         cat({{0x00, 0x90, 1, 1}, ending(384, {0})})},
        {"End of Track on the cut",
         {0x00, 0x91, 1, 1, 0x83, 0x00, 0xFF, 0x2F, 0x00},
         cat({{0x00, 0x91, 1, 1}, ending(384, {1})})},
        {"End of Track one tick earlier",
         {0x00, 0x91, 1, 1, 0x82, 0x7F, 0xFF, 0x2F, 0x00},
         {0x00, 0x91, 1, 1, 0x82, 0x7F, 0xFF, 0x2F, 0x00}},
        {"a cut at the start keeps nothing", cat({{0x00, 0x90, 1, 1}, kEndLater}), ending(0), 0},
        {"a cut on a later bar line", cat({{0x00, 0x90, 1, 1, 0x8B, 0x7F, 0x80, 1, 0}, kEndLater}),  // tick 1535
         cat({{0x00, 0x90, 1, 1, 0x8B, 0x7F, 0x80, 1, 0}, ending(1, {0})}), 4 * kBar},
    };
    expectTracks(*this, cases);
}

TEST_F(FormatOne, TheWholeSongIsEveryTrackCopiedAndTheHeaderRebuilt) {
    const Bytes rich = cat({{0x00, 0x90, 60, 100},
                            {0x81, 0x80, 0x80, 0x00, 61, 100},  // running status, 4-byte delta
                            {0x00, 0xF0, 0x81, 0x00},
                            Bytes(128, 0x11),                // long SysEx
                            {0x00, 0xF7, 0x02, 0xFF, 0x80},  // SysEx escape
                            {0x00, 0xFF, 0x09, 0x81, 0x01},
                            Bytes(129, 'd'),  // long Device Name
                            {0x00, 62, 100},
                            {0xFF, 0xFF, 0xFF, 0x7F, 0xB0, 64, 127},  // the longest delta-time, a pedal held
                            {0xFF, 0xFF, 0xFF, 0x7F, 63, 100},
                            kEndOfTrack});
    const Bytes tracks = cat({track(cat({tempoEvent(500000), kEndOfTrack})), track(rich)});
    EXPECT_EQ(cut(cat({header(1, 2, 480), tracks}), kWholeSong), cat({header(1, 2, 480), tracks}));

    // A longer header, an alien chunk and bytes after an End of Track do not
    // reach the copy; a Format 2 song's header says Format 1.
    const Bytes odd = cat({{'M', 'T', 'h', 'd'},
                           be32(7),
                           {0, 2, 0, 2, 0x01, 0xE0, 0x77},
                           chunk("XFIH", {1, 2}),
                           track(cat({tempoEvent(500000), kEndOfTrack, {0xEE, 0xEE}})),
                           track(rich)});
    EXPECT_EQ(cut(odd, kWholeSong), cat({header(1, 2, 480), tracks}));
}

TEST_F(FormatOne, KeepsTheWholeTrackCountAndWritesBesideTheSource) {
    Bytes file = header(1, 0x0103, 480);
    for (int k = 0; k < 0x0103; ++k) file = cat({file, track(cat({tempoEvent(500000), kEndOfTrack}))});
    const Bytes out = cut(file, 1920, "Song.mid", false);
    EXPECT_EQ(out, file);
    EXPECT_EQ(result.path, (src.path() / "Song-CUT.mid").string());
}

// The robustness suite checks what a failed cut leaves behind; here, the
// ending a MIDI file cannot hold.
TEST_F(FormatOne, RefusesAnEndingTooFarFromTheLastEventWritten) {
    constexpr std::uint32_t kMax = 0x0FFFFFFF;
    // A note at 0, a clock byte at kMax (dropped), a note at 2 * kMax.
    const Bytes source = song(
        {cat({{0x00, 0x90, 1, 1, 0xFF, 0xFF, 0xFF, 0x7F, 0xF8, 0xFF, 0xFF, 0xFF, 0x7F, 0x90, 2, 2}, kEndOfTrack})});
    const Bytes farthest = song({cat({{0x00, 0x90, 1, 1}, ending(kMax, {0})})});
    EXPECT_EQ(cut(source, kMax), farthest);
    const std::string message = expectFileError([&] { cut(source, std::uint64_t{kMax} + 1); });
    // The offset of the first event not kept: 14 bytes of header, 8 of chunk, 4 of the note, 5 of the clock byte.
    EXPECT_TRUE(has(message, "delta-time from the last event to the cut too large for a MIDI file (at byte 31)"));
    EXPECT_EQ(readBytes(dest.file("SONG-CUT.mid")), farthest);  // the older cut stays as it was
}

}  // namespace
}  // namespace quorvane::test
