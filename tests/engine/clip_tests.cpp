// Clips from a later tick: each track begins with what it carries over and
// goes on with its own events, their time counted from the start.

#include "engine/song_source.hpp"
#include "engine/start_state.hpp"
#include "engine_test_util.hpp"
#include "midi_builder.hpp"

namespace quorvane::test {
namespace {

using testing::SmfBuilder;
using testing::TrackBuilder;

Bytes clipOf(const TempDir& dir, const Bytes& song, std::uint64_t start, std::uint64_t cut, bool strikeNotes = true,
             bool formatOne = true) {
    const std::string path = dir.write("song.mid", song);
    const SongSource source(path);
    const StartState state = StartState::read(source, start);
    CutRequest request = preparedRequest(path, cut);
    request.start = &state;
    request.strikeNotes = strikeNotes;
    request.outPath = (dir.path() / "clip.mid").string();
    return readBytes((formatOne ? cutFormatOne(request) : cutFormatZero(request)).path);
}

TEST(FormatOneClip, TracksBeginWithWhatTheyCarryAndKeepTheirEventsFromTheStart) {
    const Bytes song = SmfBuilder()
                           .format(1)
                           .track([](TrackBuilder& t) {
                               t.tempo(0, 500000).timeSignature(0, 4, 2).trackName(0, "Tempo");
                               t.tempo(960, 250000).endOfTrack(2880);
                           })
                           .track([](TrackBuilder& t) {
                               t.useRunningStatus().sysex(0, {0x7E, 0x7F, 0x09, 0x01}).programChange(0, 0, 5);
                               t.channelVolume(0, 0, 90).noteOn(0, 0, 60, 100).noteOn(1000, 0, 62, 101);
                               t.noteOn(500, 0, 64, 102).noteOff(100, 0, 64).noteOff(300, 0, 60);
                               t.noteOff(100, 0, 62).endOfTrack(1740);
                           })
                           .track([](TrackBuilder& t) { t.noteOn(0, 1, 40, 80).noteOff(10, 1, 40).endOfTrack(); })
                           .bytes();
    const TempDir dir;
    // From tick 1440 (half-way through the song) to its end.
    const Bytes expected = SmfBuilder()
                               .format(1)
                               .track([](TrackBuilder& t) {
                                   t.tempo(0, 250000).timeSignature(0, 4, 2).trackName(0, "Tempo");
                                   t.endOfTrack(2400);
                               })
                               .track([](TrackBuilder& t) {
                                   t.sysex(0, {0x7E, 0x7F, 0x09, 0x01}).programChange(0, 0, 5);
                                   t.channelVolume(0, 0, 90).noteOn(0, 0, 60, 100).noteOn(0, 0, 62, 101);
                                   // Its own events: the first with its status byte written out.
                                   t.noteOn(60, 0, 64, 102).useRunningStatus().noteOff(100, 0, 64);
                                   t.noteOff(300, 0, 60).noteOff(100, 0, 62).endOfTrack(1740);
                               })
                               .track([](TrackBuilder& t) { t.endOfTrack(); })  // over before the start
                               .bytes();
    EXPECT_EQ(clipOf(dir, song, 1440, kWholeSong), expected);

    // Cut at bar 2 of the clip's time (tick 1920): the channels used, the
    // struck-again ones among them, are silenced there.
    const Bytes cut = clipOf(dir, song, 1440, 1920, false);
    const Bytes track1 = track(cat({{0x00, 0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7},
                                    {0x00, 0xC0, 5},
                                    {0x00, 0xB0, 7, 90},
                                    {0x3C, 0x90, 64, 102},
                                    {0x64, 0x80, 64, 64},
                                    {0x82, 0x2C, 60, 64},
                                    {0x14, 0xB0, 0x78, 0x00},
                                    kEndOfTrack}));
    EXPECT_NE(std::search(cut.begin(), cut.end(), track1.begin(), track1.end()), cut.end());
}

// A Format 0 clip carries the volume its fade starts from: the last tenth of
// the clip's own time fades from the carried level, not the song's start.
TEST(FormatZeroClip, TheFadeStartsFromTheCarriedVolumeOverTheClipsLastTenth) {
    const Bytes song = SmfBuilder()
                           .format(0)
                           .track([](TrackBuilder& t) {
                               t.tempo(0, 500000).programChange(0, 0, 5).channelVolume(0, 0, 120);
                               t.noteOn(0, 0, 60, 100).noteOn(960, 0, 62, 101).noteOff(960, 0, 60);
                               t.noteOff(960, 0, 62).endOfTrack(960);
                           })
                           .bytes();
    const TempDir dir;
    const Bytes clip = clipOf(dir, song, 480, 2880, true, false);
    Bytes silence;
    for (std::uint8_t channel = 0; channel < 16; ++channel) {
        silence = cat({silence, {0x00, static_cast<std::uint8_t>(0xB0 | channel), 0x78, 0x00}});
    }
    silence.erase(silence.begin());  // the first takes the cut's delta-time
    const Bytes expected =
        cat({header(0, 1, 480), track(cat({tempoEvent(500000),
                                           {0x00, 0xC0, 5, 0x00, 0xB0, 7, 120, 0x00, 0x90, 60, 100},  // carried
                                           {0x83, 0x60, 0x90, 62, 101, 0x87, 0x40, 0x80, 60, 64},
                                           // 2.35 s and 2.45 s into the clip: 120 * 0.6 and 120 * 0.2.
                                           {0x86, 0x30, 0xB0, 7, 72, 0x60, 0xB0, 7, 24, 0x30},
                                           silence,
                                           kEndOfTrack}))});
    EXPECT_EQ(clip, expected);
}

// A pedal the song lifts after the start is not released again at the cut.
TEST(FormatOneClip, APedalLiftedAfterTheStartStaysUpAtTheCut) {
    const Bytes song = SmfBuilder()
                           .format(1)
                           .track([](TrackBuilder& t) {
                               t.controlChange(0, 0, 64, 127).noteOn(0, 0, 60, 90).controlChange(600, 0, 64, 0);
                               t.noteOff(100, 0, 60).endOfTrack(1000);
                           })
                           .bytes();
    const TempDir dir;
    const Bytes clip = clipOf(dir, song, 480, 960);
    const Bytes pedalUp{0xB0, 64, 0};
    std::size_t ups = 0;
    for (auto at = clip.begin(); (at = std::search(at, clip.end(), pedalUp.begin(), pedalUp.end())) != clip.end();
         ++at) {
        ++ups;
    }
    EXPECT_EQ(ups, 1u);  // the song's own
}

}  // namespace
}  // namespace quorvane::test
