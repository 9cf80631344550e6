// The song's timeline: tempo and meter maps, and the cut points taken from them.

#include "engine/cut_points.hpp"
#include "engine/timeline.hpp"
#include "engine_test_util.hpp"

namespace quorvane::test {
namespace {

Bytes setTempo(std::uint32_t micros) {
    return {0xFF, 0x51, 0x03, std::uint8_t(micros >> 16), std::uint8_t(micros >> 8), std::uint8_t(micros)};
}
Bytes meter(std::uint8_t numerator, std::uint8_t power) { return {0xFF, 0x58, 0x04, numerator, power, 24, 8}; }

// A track of (tick, message) events, ended by End of Track at `end`.
Bytes trackOf(std::vector<std::pair<std::uint64_t, Bytes>> events, std::uint64_t end) {
    events.push_back({end, {0xFF, 0x2F, 0x00}});
    return track(timed(events));
}

class TimelineTest : public ::testing::Test {
protected:
    Timeline read(const Bytes& bytes) { return Timeline::read(dir.write("song.mid", bytes)); }
    TempDir dir;
};

TEST_F(TimelineTest, BarLinesFollowEachTimeSignatureFromItsOwnTick) {
    constexpr std::uint16_t kDivision = 120;
    const struct {
        const char* meter;
        Bytes track;
        std::vector<std::uint64_t> bars;  // the bar lines from tick 1 on
    } cases[] = {
        {"4/4 until the first signature", trackOf({}, 4000), {480, 960}},
        // 3/4 from 0, 5/4 from tick 500 (inside a bar): its bars start there.
        {"3/4 then 5/4", trackOf({{0, meter(3, 2)}, {500, meter(5, 2)}}, 4000), {360, 500, 1100, 1700}},
        // A signature of its two first bytes only still counts.
        {"a short 2/4", trackOf({{0, {0xFF, 0x58, 0x02, 2, 2}}}, 4000), {240, 480}},
        // A bar under one tick (7/2^40) or of no beats is ignored.
        {"unplaceable signatures", trackOf({{0, meter(7, 40)}, {0, meter(0, 2)}}, 4000), {480, 960}},
    };
    for (const auto& c : cases) {
        const Timeline timeline = read(cat({header(0, 1, kDivision), c.track}));
        std::uint64_t from = 1;
        for (const std::uint64_t bar : c.bars) {
            EXPECT_EQ(timeline.barLineAtOrAfter(from), bar) << c.meter << " from " << from;
            // A tick on a bar line is its own bar line.
            EXPECT_EQ(timeline.barLineAtOrAfter(bar), bar) << c.meter;
            from = bar + 1;
        }
    }
}

// Tracks whose tempo changes are not in time order: at one tick the last in
// the file holds, however many tracks change it there.
TEST_F(TimelineTest, AtOneTickTheLastTempoInTheFileHolds) {
    const Timeline timeline = read(cat({header(1, 3, 480), trackOf({{960, setTempo(250000)}}, 960),
                                        trackOf({{480, setTempo(1000000)}, {960, setTempo(2000000)}}, 960),
                                        trackOf({{960, setTempo(500000)}}, 1440)}));
    // 0.5 s at 120 bpm, 1 s at 60 bpm, then 0.5 s at the last tempo, 120 bpm.
    EXPECT_DOUBLE_EQ(timeline.length(), 2.0);
}

TEST_F(TimelineTest, SongsOfMoreTempoChangesThanMemoryKeepsAreReadAgain) {
    // 70,000 changes in one track (in time order), and 2 x 40,000 in two
    // tracks taking turns (read in batches): every tick alternates 60 and
    // 120 bpm at division 1, so two ticks take 1.5 s.
    constexpr std::uint32_t kChanges = 70000;
    std::vector<std::pair<std::uint64_t, Bytes>> one, even, odd;
    for (std::uint32_t k = 0; k < kChanges; ++k) one.push_back({k, setTempo(k % 2 == 0 ? 1000000 : 500000)});
    const Timeline ordered = read(cat({header(0, 1, 1), trackOf(one, kChanges)}));
    EXPECT_DOUBLE_EQ(ordered.length(), kChanges / 2 * 1.5);
    EXPECT_DOUBLE_EQ(ordered.seconds(1001), 500 * 1.5 + 1);
    EXPECT_EQ(ordered.firstTickAt(750.5), 1001u);

    for (std::uint64_t k = 0; k < 40000; ++k) {
        even.push_back({2 * k, setTempo(1000000)});
        odd.push_back({2 * k + 1, setTempo(500000)});
    }
    const Timeline interleaved = read(cat({header(1, 2, 1), trackOf(even, 80000), trackOf(odd, 80000)}));
    EXPECT_EQ(interleaved.endTick(), 80000u);
    EXPECT_DOUBLE_EQ(interleaved.length(), 40000 * 1.5);
    EXPECT_DOUBLE_EQ(interleaved.seconds(70001), 35000 * 1.5 + 1);
    EXPECT_EQ(interleaved.cursor().firstTickAt(35000 * 1.5 + 0.75), 70001u);
}

// The edges of the cut points; the mido checks cut many songs at steps and
// clip lengths.
TEST_F(TimelineTest, CutPointsPastTheEndKeepTheWholeSong) {
    // 4/4 at division 768 and 60 bpm: a bar is 4 s and one step of the cut
    // slider (1000 music ticks) is 1000 ticks. Then 3/4 from bar 3 (12 s).
    const Timeline timeline =
        read(cat({header(1, 2, 768), trackOf({{0, setTempo(1000000)}, {0, meter(4, 2)}, {9216, meter(3, 2)}}, 9216),
                  trackOf({{0, {0x90, 60, 100}}}, 29500)}));
    EXPECT_EQ(cutSteps(timeline), 30);
    EXPECT_EQ(cutSteps(read(cat({header(0, 1, 768), trackOf({}, 3000)}))),
              3);  // a song of whole steps has no step more
    EXPECT_EQ(cutTickAtStep(timeline, true, 10), 11520u);
    EXPECT_EQ(std::make_pair(cutTickAtStep(timeline, false, 0), cutTickAtStep(timeline, true, 0)),
              std::make_pair(std::uint64_t{0}, std::uint64_t{0}));  // the start keeps nothing
    EXPECT_EQ(cutTickAtStep(timeline, true, 29), kWholeSong);       // its bar line, 29952, lies past the end
    EXPECT_EQ(cutTickForClip(timeline, true, 12.0), 9216u);         // a clip ending on a bar line ends there
    EXPECT_EQ(cutTickForClip(timeline, false, 29500 / 768.0), kWholeSong);
    EXPECT_DOUBLE_EQ(clipSeconds(timeline, kWholeSong), 29500 / 768.0);
    // The thumb after a cut: the first step at or past its tick, within the rail.
    EXPECT_EQ(stepAtOrAfter(timeline, 11520), 12);  // step 11 is tick 11000, step 12 is 12000
    EXPECT_EQ(stepAtOrAfter(timeline, 12000), 12);
    EXPECT_EQ(stepAtOrAfter(timeline, 0), 1);
    EXPECT_EQ(stepAtOrAfter(timeline, kWholeSong), 30);
}

// A song at 768 ticks per quarter note whose End of Track lies at `ticks`.
Bytes longSong(std::uint32_t ticks) {
    Bytes events;
    for (; ticks > 0x0FFFFFFF; ticks -= 0x0FFFFFFF) events = cat({events, {0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0x01, 0x00}});
    return cat({header(0, 1, 768), track(cat({events, vlqBytes(ticks), {0xFF, 0x2F, 0x00}}))});
}

TEST(SongLength, TheLatestTrackEndInMusicTimeRoundedHalfUp) {
    TempDir dir;
    const struct {
        Bytes song;
        std::int32_t length;
    } cases[] = {
        // Division 7: 5 ticks is 548.57 music ticks; 7 ticks is 768.
        {cat({header(1, 2, 7), track(cat({{0x05, 0xFF, 0x2F, 0x00}})),
              track(cat({{0x03, 0x90, 1, 1}, {0x04, 0xFF, 0x2F, 0x00}}))}),
         768},
        {cat({header(0, 1, 1536), track({0x01, 0xFF, 0x2F, 0x00})}), 1},  // half a tick rounds up
        {cat({header(0, 1, 96), track({})}), 0},                          // an empty track ends at once
        // A track without End of Track ends at its last event inside its chunk;
        // one with it ends there, whatever follows, and other meta events go on.
        {cat({header(0, 1, 96), track({0x60, 0x90, 1, 1})}), 768},
        {cat({header(0, 1, 96), track({0x00, 0xFF, 0x01, 0x01, 'x', 0x60, 0xFF, 0x2F, 0x00, 0x60, 0x90, 1, 1})}), 768},
        // The longest song 32-bit music time holds.
        {longSong(0x7FFFFFFF), 0x7FFFFFFF},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Timeline::read(dir.write("A.MID", c.song)).musicLength(), c.length);
    }
    // The steps of the longest reach its end: the last keeps it whole, the one before cuts at its own tick.
    const Timeline longest = Timeline::read(dir.write("L.MID", longSong(0x7FFFFFFF)));
    EXPECT_EQ(cutSteps(longest), 2147484);
    EXPECT_EQ(cutTickAtStep(longest, false, 2147483), 2147483000u);
    EXPECT_EQ(cutTickAtStep(longest, false, 2147484), kWholeSong);
    for (const Bytes& refused : {cat({header(0, 1, 96), track({0x00, 0xFF, 0x90, 0x00})}), longSong(0x80000000)}) {
        // Every refusal names its place in the file: a Format 0 cut reads the timeline too.
        EXPECT_TRUE(has(expectFileError([&] { Timeline::read(dir.write("D.MID", refused)); }), " (at byte "));
    }
    // Too long: the place is the end of the first track that reaches the song's end.
    const Bytes tooLong = longSong(0x80000000), chunk(tooLong.begin() + 14, tooLong.end());
    const std::string twice = dir.write("E.MID", cat({header(1, 2, 768), chunk, chunk}));
    EXPECT_TRUE(has(expectFileError([&] { Timeline::read(twice); }), "(at byte " + std::to_string(14 + chunk.size())));
}

}  // namespace
}  // namespace quorvane::test
