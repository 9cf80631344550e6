#include "oracle.hpp"

#include "song_generator.hpp"

namespace quorvane::robustness {
namespace {

using testing::Delta;
using testing::SmfBuilder;
using testing::TrackBuilder;

// Format 0 with everything a reader may trip over: extra header bytes, an
// alien chunk before the track, escapes, system messages, a padded
// delta-time, long meta events, a tempo change and junk after End of Track.
BaseSong oddSingleTrack() {
    std::vector<std::uint8_t> sysex(150);
    for (std::size_t i = 0; i < sysex.size(); ++i) sysex[i] = static_cast<std::uint8_t>(i & 0x7F);
    TrackBuilder t;
    t.useRunningStatus().trackName(0, "odd").tempo(0, 400000).sysex(0, sysex).channelVolume(0, 0, 90);
    t.controlChange(0, 0, 7, 80).programChange(0, 1, 5).rawEvent(10, {0xF2, 0x10, 0x20}).rawEvent(0, {0xF8});
    t.noteOn(Delta::raw({0x81, 0x00}), 0, 60, 100)
        .noteOn(0, 0, 64, 100)
        .meta(48, 0x7F, std::vector<std::uint8_t>(200, 0x11));
    t.sysexEscape(12, {0x43, 0x10, 0x4C, 0xF7}).noteOff(96, 0, 60).noteOff(0, 0, 64).rawEvent(30, {0xF1, 0x21});
    t.tempo(66, 600000).noteOn(0, 1, 67, 90).pitchBend(40, 1, 9000).channelPressure(20, 1, 40).noteOff(200, 1, 67);
    t.endOfTrack(384).raw({0x00, 0x90, 0x3C, 0x40});
    SmfBuilder file;
    file.format(0).division(96).headerExtra({0x00, 0x00}).chunk("XFIH", {'a', 'l', 'i', 'e', 'n'}).track(t);
    return {"format 0 odd", file.bytes(), t.ticks()};
}

// Format 1 without any Set Tempo, so the pre-reader scans every track; an
// alien chunk between the tracks; running status across meta events.
BaseSong tempolessTracks() {
    TrackBuilder first;
    first.trackName(0, "first").timeSignature(0, 3, 2).marker(720, "B").endOfTrack(720);
    TrackBuilder second;
    second.useRunningStatus().programChange(0, 2, 40);
    for (int i = 0; i < 24; ++i) {
        second.noteOn(i == 0 ? 0 : 30, 2, 50 + i, 80).noteOff(30, 2, 50 + i);
        if (i % 6 == 5) second.rawEvent(0, {0xFF, 0x01, 0x01, 'x'}).running(0, {0x30, 0x00});
    }
    second.endOfTrack(0);
    SmfBuilder file;
    file.format(1).division(120).track(first).chunk("MTxx", std::vector<std::uint8_t>(12, 0x7E)).track(second);
    return {"format 1 without tempo", file.bytes(), second.ticks()};
}

// Format 1 whose only Set Tempo is in its third track.
BaseSong lateTempo() {
    SmfBuilder file;
    file.format(1).division(192);
    for (int k = 0; k < 3; ++k) {
        file.track([k](TrackBuilder& t) {
            t.useRunningStatus().trackName(0, "part");
            if (k == 2) t.tempo(0, 700000);
            for (int i = 0; i < 16; ++i) t.noteOn(96, k, 60 + i, 70).noteOff(96, k, 60 + i);
            t.endOfTrack(0);
        });
    }
    return {"format 1 late tempo", file.bytes(), 16 * 192};
}

std::vector<BaseSong> makeBaseSongs() {
    using testing::SongOptions;
    SongOptions options[] = {
        {.seed = 11, .format = 1, .instrumentTracks = 3, .seconds = 6, .tempoChanges = 2},
        {.seed = 12, .format = 0, .instrumentTracks = 4, .seconds = 6, .tempoChanges = 3},
        {.seed = 13, .format = 1, .instrumentTracks = 6, .division = 96, .seconds = 4, .tempoChanges = 3},
        {.seed = 14, .format = 0, .instrumentTracks = 2, .division = 768, .seconds = 4, .tempoChanges = 1},
    };
    // The last two spell out every status byte and carry long SysEx (the last, long text too).
    for (const int k : {2, 3}) {
        options[k].runningStatus = false;
        options[k].longSysex = 2;
    }
    options[3].longText = 2;
    std::vector<BaseSong> songs;
    for (const SongOptions& o : options) {
        const testing::GeneratedSong song = testing::generateSong(o);
        songs.push_back({"generated, seed " + std::to_string(o.seed), song.bytes, song.endTick});
    }
    songs.insert(songs.end(), {oddSingleTrack(), tempolessTracks(), lateTempo()});
    return songs;
}

}  // namespace

const std::vector<BaseSong>& baseSongs() {
    static const std::vector<BaseSong> kSongs = makeBaseSongs();
    return kSongs;
}

}  // namespace quorvane::robustness
