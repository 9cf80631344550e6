#include "workflow/music_engine.hpp"
#include "workflow/time_display.hpp"
#include "workflow_fixture.hpp"

namespace quorvane::test {
namespace {

using music::EngineError;

TEST(TimeDisplay, MinutesAndSeconds) {
    EXPECT_EQ(minutesSeconds(0), "00:00");
    EXPECT_EQ(minutesSeconds(252), "04:12");
    EXPECT_EQ(minutesSeconds(6005), "100:05");
    EXPECT_EQ(twoDigits(7), "07");
    EXPECT_EQ(twoDigits(60), "60");
    EXPECT_EQ(wholeSeconds(30000, 120), 19);
}

TEST(MusicEngine, LengthIsTheLatestEndOfTrackInMusicTime) {
    TempDir dir;
    // Division 7: 5 ticks is 548.57 music ticks, rounded to 549; 7 ticks is 768.
    const std::string path = dir.write("A.MID", cat({header(1, 2, 7), track(cat({{0x05, 0xFF, 0x2F, 0x00}})),
                                                     track(cat({{0x03, 0x90, 1, 1}, {0x04, 0xFF, 0x2F, 0x00}}))}));
    music::Loader loader;
    auto segment = loader.LoadSegment(path);
    EXPECT_EQ(segment->GetLength(), 768);
    segment->SetLength(1234);
    EXPECT_EQ(segment->GetLength(), 1234);
    EXPECT_THROW(segment->SetLength(-1), EngineError);

    // Halves round up: 1 tick of division 2 is 384; of division 1536 it is 0.5 -> 1.
    const std::string half = dir.write("B.MID", cat({header(0, 1, 1536), track({0x01, 0xFF, 0x2F, 0x00})}));
    EXPECT_EQ(loader.LoadSegment(half)->GetLength(), 1);
    // A track without End of Track ends at its last event inside its chunk.
    const std::string open = dir.write("C.MID", cat({header(0, 1, 96), track({0x60, 0x90, 1, 1})}));
    EXPECT_EQ(loader.LoadSegment(open)->GetLength(), 768);
    // Unreadable files fail like every other reader.
    const std::string broken = dir.write("D.MID", cat({header(0, 1, 96), track({0x00, 0xFF, 0x90, 0x00})}));
    EXPECT_THROW(loader.LoadSegment(broken), FileError);
}

TEST(MusicEngine, TempoInEffectFromAnyTrack) {
    TempDir dir;
    // 96 ticks per quarter; 96 ticks = 768 music ticks. Tempo 100 bpm at tick 96
    // in track 2, 150 bpm at tick 192 in track 1.
    const std::string path =
        dir.write("T.MID", cat({header(1, 2, 96), track(cat({{0x81, 0x40, 0xFF, 0x51, 0x03, 0x06, 0x1A, 0x80},
                                                              kEndOfTrack})),
                                track(cat({{0x60, 0xFF, 0x51, 0x03, 0x09, 0x27, 0xC0}, kEndOfTrack}))}));
    music::Root root;
    auto performance = root.CreatePerformance();
    performance->Init(nullptr, 0);
    performance->SetPort(-1, 80);
    auto segment = root.CreateLoader()->LoadSegment(path);
    std::int32_t unused = 7;
    EXPECT_THROW(performance->GetTempo(0, unused), EngineError);  // nothing played yet
    auto state = performance->PlaySegment(segment, 0, 0);
    const std::int32_t start = performance->GetMusicTime();
    EXPECT_EQ(performance->GetTempo(start + 767, unused), 120.0);  // before any tempo event
    EXPECT_EQ(unused, 0);
    EXPECT_EQ(performance->GetTempo(start + 768, unused), 100.0);
    EXPECT_EQ(performance->GetTempo(start + 1536, unused), 150.0);
    performance->Stop(segment, state, 0, 0);
    EXPECT_FALSE(state->playing());
    performance->CloseDown();
    EXPECT_THROW(performance->GetMusicTime(), EngineError);
    EXPECT_THROW(root.CreatePerformance()->PlaySegment(segment, 0, 0), EngineError);  // not initialised
}

TEST(MusicEngine, ASongOfManyTempoChangesIsMeasuredInBoundedMemoryAndStillExactly) {
    // 6000 tempo changes, one per tick at 96 ticks per quarter (tick t is
    // music time 8t); more than are kept in memory.
    Bytes events;
    for (std::uint32_t t = 1; t <= 6000; ++t) {
        const Bytes tempo = tempoEvent(400000 + t);
        events.push_back(0x01);
        events.insert(events.end(), tempo.begin() + 1, tempo.end());
    }
    TempDir dir;
    const std::string path = dir.write("M.MID", cat({header(0, 1, 96), track(cat({events, kEndOfTrack}))}));
    const auto segment = music::Loader().LoadSegment(path);
    for (const std::uint32_t t : {1u, 10u, 4096u, 4097u, 5999u, 6000u}) {
        EXPECT_EQ(segment->tempoAt(8 * t), 60000000.0 / (400000 + t)) << t;
        EXPECT_EQ(segment->tempoAt(8 * t + 7), 60000000.0 / (400000 + t)) << t;
    }
    EXPECT_EQ(segment->tempoAt(7), 120.0);
}

}  // namespace
}  // namespace quorvane::test
