#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quorvane::preview {

// One event a synthesizer plays, at its time from the song's start.
struct TimedEvent {
    double seconds = 0;
    std::uint8_t status = 0;  // a channel status (0x80-0xEF) or 0xF0 for a SysEx
    std::uint8_t data[2] = {0, 0};
    std::vector<std::uint8_t> sysex;  // a SysEx's data, without F0 and the final F7
};

// A song as a synthesizer hears it: its channel messages and SysEx events in
// time order, the tempo map already applied.
struct SongEvents {
    std::vector<TimedEvent> events;
    double lastEventSeconds = 0;  // the time of the song's last event of any kind (End of Track too)
};

// Reads the MIDI file at `path` (UTF-8). Tracks are merged in time order;
// events at one time keep the order of their tracks. Throws FileError when
// the file cannot be opened or read, as a cut would.
SongEvents readSongEvents(const std::string& path);

// The last `seconds` of `song` before `end`: the events from there on, moved
// to start at 0. The state set before it (programs, controllers, pitch bend)
// is kept at time 0, the notes that started before it are not.
SongEvents songEnding(const SongEvents& song, double end, double seconds);

}  // namespace quorvane::preview
