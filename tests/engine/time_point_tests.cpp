// Points of a song as the command line names them, and the ticks they stand
// for: through the tempo map, the meter map and the song's markers.

#include "engine/song_source.hpp"
#include "engine/time_point.hpp"
#include "engine/timeline.hpp"
#include "engine_test_util.hpp"
#include "midi_builder.hpp"

namespace quorvane::test {
namespace {

using testing::SmfBuilder;
using testing::TrackBuilder;
using Kind = TimePoint::Kind;

TEST(TimePoint, EachWayOfNamingAPointParsesAndNothingElseDoes) {
    const struct {
        const char* text;
        Kind kind;
        double seconds;
        std::uint64_t number;
        const char* marker;
    } valid[] = {
        {"12.5", Kind::Seconds, 12.5, 0, ""},   {"0", Kind::Seconds, 0, 0, ""},
        {"1:02.5", Kind::Seconds, 62.5, 0, ""}, {"10:00", Kind::Seconds, 600, 0, ""},
        {"bar:17", Kind::Bar, 0, 17, ""},       {"tick:7680", Kind::Tick, 0, 7680, ""},
        {"tick:0", Kind::Tick, 0, 0, ""},       {"marker:Chorus 2", Kind::Marker, 0, 0, "Chorus 2"},
        {"marker::", Kind::Marker, 0, 0, ":"},
    };
    for (const auto& row : valid) {
        const std::optional<TimePoint> point = parseTimePoint(row.text);
        ASSERT_TRUE(point) << row.text;
        EXPECT_EQ(std::make_tuple(point->kind, point->seconds, point->number, point->marker),
                  std::make_tuple(row.kind, row.seconds, row.number, std::string(row.marker)))
            << row.text;
    }
    for (const char* text :
         {"",        "-1",    "1e3",  ".5",     "5.",      "1:60",  "1:-5",   ":30",
          "1:2:3",   "bar:0", "bar:", "bar:-2", "bar:1.5", "tick:", "tick:x", "tick:99999999999999999999",
          "marker:", "Bar:3", "12s",  "inf",    "nan"}) {
        EXPECT_FALSE(parseTimePoint(text)) << text;
    }
}

// 4/4 for two bars, 3/4 from tick 3840 (bar 3), 7/8 from half-way into the
// fourth bar, which that cuts short; at 480 ticks a quarter.
Bytes meteredSong() {
    return SmfBuilder()
        .format(1)
        .track([](TrackBuilder& t) {
            t.timeSignature(0, 4, 2).tempo(0, 500000);
            t.timeSignature(3840, 3, 2).tempo(0, 250000);
            t.timeSignature(1440 + 720, 7, 3).endOfTrack(20000);
        })
        .track([](TrackBuilder& t) { t.marker(100, "Verse").marker(5000, "Chorus").endOfTrack(100); })
        .track(
            [](TrackBuilder& t) { t.marker(4000, "Chorus").marker(1100, "Verse").marker(0, "Verse 2").endOfTrack(); })
        .bytes();
}

TEST(TimePoint, BarsFollowTheMeterMapAndMarkersTheEarliestOfTheirName) {
    const TempDir dir;
    const SongSource song(dir.write("metered.mid", meteredSong()));
    const Timeline timeline = Timeline::read(song);
    // Bars: 0, 1920 (4/4); 3840, 5280 (3/4); 6000 starts 7/8 bars of 1680.
    const std::pair<std::uint64_t, std::uint64_t> bars[] = {
        {1, 0}, {2, 1920}, {3, 3840}, {4, 5280}, {5, 6000}, {6, 7680}, {20, 6000 + 15 * 1680}};
    for (const auto& [bar, tick] : bars) EXPECT_EQ(timeline.barStart(bar), tick) << "bar " << bar;
    EXPECT_FALSE(timeline.barStart(0));
    EXPECT_FALSE(timeline.barStart(std::uint64_t{1} << 62));  // past 64 bits

    const auto tick = [&](const char* text) { return tickOf(*parseTimePoint(text), timeline, song); };
    EXPECT_EQ(tick("bar:3"), 3840u);
    EXPECT_EQ(tick("tick:123456789"), 123456789u);  // past the end is for the caller to refuse
    // Two seconds at 120 bpm reach tick 1920; then 240 bpm from 3840.
    EXPECT_EQ(tick("2"), 1920u);
    EXPECT_EQ(tick("0:04.5"), 3840u + 960u);
    EXPECT_EQ(tick("0"), 0u);
    // The earliest of a name wins, whichever track has it; a name is whole.
    EXPECT_EQ(tick("marker:Verse"), 100u);
    EXPECT_EQ(tick("marker:Chorus"), 4000u);
    EXPECT_EQ(tick("marker:Verse 2"), 5100u);
    EXPECT_FALSE(tick("marker:Bridge"));
    EXPECT_FALSE(tick("marker:verse"));
}

}  // namespace
}  // namespace quorvane::test
