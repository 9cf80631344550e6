// The song's timeline: tempo and meter maps, and the cut points taken from them.

#include "engine/cut_points.hpp"
#include "engine/timeline.hpp"
#include "engine/vlq.hpp"
#include "engine_test_util.hpp"

namespace quorvane::test {
namespace {

// A track of events given as (delta, bytes) pairs, ended by End of Track.
struct TrackBuilder {
    Bytes events;
    TrackBuilder& at(std::uint32_t delta, const Bytes& message) {
        const Vlq vlq = encodeVlq(delta);
        events.insert(events.end(), vlq.bytes().begin(), vlq.bytes().end());
        events.insert(events.end(), message.begin(), message.end());
        return *this;
    }
    TrackBuilder& tempo(std::uint32_t delta, std::uint32_t micros) {
        return at(delta, {0xFF, 0x51, 0x03, std::uint8_t(micros >> 16), std::uint8_t(micros >> 8), std::uint8_t(micros)});
    }
    TrackBuilder& meter(std::uint32_t delta, std::uint8_t numerator, std::uint8_t power) {
        return at(delta, {0xFF, 0x58, 0x04, numerator, power, 24, 8});
    }
    Bytes done(std::uint32_t delta = 0) const {
        return track(TrackBuilder(*this).at(delta, {0xFF, 0x2F, 0x00}).events);
    }
};

Bytes song(std::uint16_t format, std::uint16_t division, std::initializer_list<Bytes> tracks) {
    Bytes out = header(format, static_cast<std::uint16_t>(tracks.size()), division);
    for (const Bytes& t : tracks) out.insert(out.end(), t.begin(), t.end());
    return out;
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
        {"4/4 until the first signature", TrackBuilder().done(4000), {480, 960}},
        // 3/4 from 0, 5/4 from tick 500 (inside a bar): its bars start there.
        {"3/4 then 5/4", TrackBuilder().meter(0, 3, 2).meter(500, 5, 2).done(4000), {360, 500, 1100, 1700}},
        // A bar under one tick (7/2^40) or of no beats is ignored.
        {"unplaceable signatures", TrackBuilder().meter(0, 7, 40).meter(0, 0, 2).done(4000), {480, 960}},
    };
    for (const auto& c : cases) {
        const Timeline timeline = read(song(0, kDivision, {c.track}));
        std::uint64_t from = 1;
        for (const std::uint64_t bar : c.bars) {
            EXPECT_EQ(timeline.barLineAtOrAfter(from), bar) << c.meter << " from " << from;
            // A tick on a bar line is its own bar line.
            EXPECT_EQ(timeline.barLineAtOrAfter(bar), bar) << c.meter;
            from = bar + 1;
        }
    }
}

TEST_F(TimelineTest, SongsOfMoreTempoChangesThanMemoryKeepsAreReadAgain) {
    // 70,000 changes in one track (in time order), and 2 x 40,000 in two
    // tracks taking turns (read in batches): every tick alternates 60 and
    // 120 bpm at division 1, so two ticks take 1.5 s.
    constexpr std::uint32_t kChanges = 70000;
    TrackBuilder one;
    for (std::uint32_t k = 0; k < kChanges; ++k) one.tempo(k == 0 ? 0 : 1, k % 2 == 0 ? 1000000 : 500000);
    const Timeline ordered = read(song(0, 1, {one.done(1)}));
    EXPECT_DOUBLE_EQ(ordered.length(), kChanges / 2 * 1.5);
    EXPECT_DOUBLE_EQ(ordered.seconds(1001), 500 * 1.5 + 1);
    EXPECT_EQ(ordered.firstTickAt(750.5), 1001u);

    TrackBuilder even, odd;
    for (std::uint32_t k = 0; k < 40000; ++k) {
        even.tempo(k == 0 ? 0 : 2, 1000000);
        odd.tempo(k == 0 ? 1 : 2, 500000);
    }
    const Timeline interleaved = read(song(1, 1, {even.done(2), odd.done(1)}));
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
    const Timeline timeline = read(song(1, 768,
                                        {TrackBuilder().tempo(0, 1000000).meter(0, 4, 2).meter(9216, 3, 2).done(),
                                         TrackBuilder().at(0, {0x90, 60, 100}).done(29500)}));
    EXPECT_EQ(cutSteps(timeline), 30);
    EXPECT_EQ(cutTickAtStep(timeline, true, 10), 11520u);
    EXPECT_EQ(cutTickAtStep(timeline, true, 29), kWholeSong);  // its bar line, 29952, lies past the end
    EXPECT_EQ(cutTickForClip(timeline, true, 12.0), 9216u);    // a clip ending on a bar line ends there
    EXPECT_EQ(cutTickForClip(timeline, false, 29500 / 768.0), kWholeSong);
    EXPECT_DOUBLE_EQ(clipSeconds(timeline, kWholeSong), 29500 / 768.0);
}

}  // namespace
}  // namespace quorvane::test
