// What a clip from a tick carries over from before it: which setting wins,
// in which track it is written, and in what order.

#include "engine/song_source.hpp"
#include "engine/start_state.hpp"
#include "engine_test_util.hpp"
#include "midi_builder.hpp"

namespace quorvane::test {
namespace {

using testing::SmfBuilder;
using testing::TrackBuilder;

constexpr std::uint64_t kStart = 1000;

// Track 0 conducts, track 1 plays channel 0, track 2 changes both channels'
// volume and the tempo later than the others did.
Bytes setUpSong() {
    return SmfBuilder()
        .format(1)
        .track([](TrackBuilder& t) {
            t.timeSignature(0, 3, 2).tempo(0, 500000).trackName(0, "Conductor").tempo(100, 400000).endOfTrack(1900);
        })
        .track([](TrackBuilder& t) {
            t.controlChange(0, 0, 0, 1).programChange(0, 0, 24).channelVolume(10, 0, 100).channelVolume(10, 0, 80);
            t.controlChange(0, 0, 101, 0).controlChange(0, 0, 100, 0).controlChange(0, 0, 6, 12);  // bend range
            t.controlChange(0, 0, 99, 1).controlChange(0, 0, 98, 8).controlChange(0, 0, 6, 64);    // an NRPN...
            t.controlChange(0, 0, 38, 3);                                                          // ...fine
            t.controlChange(10, 0, 64, 127).pitchBend(10, 0, 9000);
            t.noteOn(10, 0, 60, 90).noteOn(10, 0, 62, 91).noteOff(10, 0, 62);
            t.noteOn(0, 0, 67, 92).noteOn(0, 1, 48, 93);  // 67 is ended below; 48 sounds on channel 1
            t.controlChange(10, 0, 123, 0).noteOn(0, 0, 64, 94).noteOn(0, 1, 0, 96);  // All Notes Off, new notes
            t.noteOn(1000, 0, 65, 95).endOfTrack(100);                                // after the start
        })
        .track([](TrackBuilder& t) {
            t.channelVolume(500, 0, 50).tempo(400, 600000);
            t.controlChange(0, 1, 1, 64).channelVolume(0, 1, 90).controlChange(10, 1, 121, 0);
            t.endOfTrack(500);
        })
        .bytes();
}

std::vector<std::vector<int>> bytesOf(const std::vector<SetupMessage>& messages) {
    std::vector<std::vector<int>> out;
    for (const SetupMessage& m : messages) out.emplace_back(m.bytes.begin(), m.bytes.begin() + m.size);
    return out;
}

TEST(StartState, TheLaterSettingWinsAndIsWrittenInItsTrackInOrder) {
    const TempDir dir;
    const SongSource song(dir.write("set-up.mid", setUpSong()));
    const StartState state = StartState::read(song, kStart);

    using M = StartState::Meta;
    const std::vector<std::pair<std::pair<std::uint32_t, std::uint64_t>, int>> metas{
        {{0, 0}, static_cast<int>(M::TimeSignature)}, {{0, 1}, -1},  // tempos of track 0: track 2 sets one later
        {{0, 2}, static_cast<int>(M::TrackName)},     {{0, 3}, -1},
        {{2, 1}, static_cast<int>(M::Tempo)},         {{2, 0}, -1},  // not a meta event
    };
    for (const auto& [where, kind] : metas) {
        EXPECT_EQ(state.keptMeta(where.first, where.second), kind) << where.first << "/" << where.second;
    }

    const std::vector<std::vector<int>> track1{
        {0xB0, 0, 1},
        {0xC0, 24},  // bank, program; the volume is track 2's
        {0xB0, 99, 1},
        {0xB0, 98, 8},
        {0xB0, 6, 64},
        {0xB0, 38, 3},  // the NRPN with its fine part
        {0xB0, 101, 0},
        {0xB0, 100, 0},
        {0xB0, 6, 12},  // the pitch-bend range
        {0xB0, 99, 1},
        {0xB0, 98, 8},  // the NRPN selected at the start
        {0xE0, 9000 & 0x7F, 9000 >> 7},
        {0xB0, 64, 127},  // bend, pedal
        {0x90, 64, 94},
        {0x91, 0, 96},
        {0x91, 48, 93},  // the notes sounding: All Notes Off ended 60 and 67
    };
    EXPECT_EQ(bytesOf(state.channelSetup(1, true)), track1);
    // Channel 1's modulation was reset; its volume stays.
    EXPECT_EQ(bytesOf(state.channelSetup(2, true)), (std::vector<std::vector<int>>{{0xB0, 7, 50}, {0xB1, 7, 90}}));
    EXPECT_EQ(bytesOf(state.channelSetup(0, true)), std::vector<std::vector<int>>{});

    std::vector<std::vector<int>> withoutNotes(track1.begin(), track1.end() - 3);
    EXPECT_EQ(bytesOf(state.channelSetup(1, false)), withoutNotes);
    // From the very start nothing is carried.
    EXPECT_EQ(StartState::read(song, 0).channelSetup(1, true).size(), 0u);
    EXPECT_EQ(StartState::read(song, 0).keptMeta(0, 0), -1);
}

// A parameter chosen by its first half alone (the second half never sent,
// so 127) is still a parameter: only 127/127 selects none.
TEST(StartState, AParameterSelectedByHalfIsKeptAndTheNullOneIsNot) {
    const TempDir dir;
    const SongSource song(dir.write("half.mid", SmfBuilder()
                                                    .format(0)
                                                    .track([](TrackBuilder& t) {
                                                        t.controlChange(0, 0, 101, 0).controlChange(0, 0, 6, 12);
                                                        t.controlChange(0, 1, 101, 127).controlChange(0, 1, 100, 127);
                                                        t.controlChange(0, 1, 6, 5).endOfTrack(960);
                                                    })
                                                    .bytes()));
    EXPECT_EQ(bytesOf(StartState::read(song, 480).channelSetup(0, true)),
              (std::vector<std::vector<int>>{{0xB0, 101, 0},
                                             {0xB0, 100, 127},
                                             {0xB0, 6, 12},  // the parameter
                                             {0xB0, 101, 0},
                                             {0xB0, 100, 127},  // still selected
                                             {0xB1, 101, 127},
                                             {0xB1, 100, 127}}));  // nothing selected
}

}  // namespace
}  // namespace quorvane::test
