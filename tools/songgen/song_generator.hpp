// Deterministic pseudo-random songs as Standard MIDI File bytes.
//
// The same options give the same bytes on every platform: the generator only
// uses std::mt19937 (whose output the standard fixes) with its own range
// reduction, and integer arithmetic for all timing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "midi_builder.hpp"

namespace quorvane::testing {

struct SongOptions {
    std::uint32_t seed = 1;
    // 0: a single track carrying everything. 1: a tempo track (tempo, time
    // signature, markers, text; no channel messages) then one track per part.
    int format = 1;
    // Instrument parts, each on its own MIDI channel (a fourth part, if any,
    // is a drum kit on channel 10). At least 1.
    int instrumentTracks = 3;
    std::uint16_t division = 480;
    // Playing time. The song ends at the first bar line at or after it.
    double seconds = 60.0;
    // 0 plays at a natural density. Otherwise the note density is tuned so the
    // file lands near this many bytes (usually within 2 %).
    std::size_t targetBytes = 0;
    // Tempo changes after the initial tempo, spread over the song on beats.
    int tempoChanges = 2;
    // Omit repeated channel status bytes.
    bool runningStatus = true;
    // Write a time signature meta event (4/4, 3/4 or 6/8, chosen by the seed).
    // Without it the song is in 4/4.
    bool timeSignature = true;
    // Channel Volume (controller 7) at the start of each part and in
    // occasional swells during the song.
    bool channelVolume = true;
    bool programChanges = true;
    // SysEx events with more than 127 data bytes (two-byte length). The first
    // goes at tick 0, the others at random bar lines.
    int longSysex = 1;
    // Text meta events with more than 127 characters, placed the same way.
    int longText = 1;
    std::string title = "Quorvane Song";
};

struct TempoChange {
    std::uint32_t tick;
    std::uint32_t microsPerQuarter;
};

struct GeneratedSong {
    Bytes bytes;
    int format = 1;
    int trackCount = 0;
    std::uint16_t division = 480;
    // Tick of the End of Track events (all tracks end together).
    std::uint32_t endTick = 0;
    // Exact playing time up to endTick, rounded down to a microsecond.
    std::uint64_t lengthMicros = 0;
    // Initial tempo at tick 0 followed by every change, in order.
    std::vector<TempoChange> tempoMap;
    std::size_t noteCount = 0;            // note on/off pairs
    std::size_t channelVolumeEvents = 0;  // controller 7 messages
    // Density actually used, in thousandths of the natural density.
    std::uint32_t densityPermille = 1000;
};

GeneratedSong generateSong(const SongOptions& options);

}  // namespace quorvane::testing
