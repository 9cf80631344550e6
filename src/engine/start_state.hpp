#pragma once

// What a song has set up before a tick, for a clip that starts there: the
// tempo, meter, key and names in effect, each channel's bank, program,
// controllers, RPN and NRPN parameters, pitch bend, pressure and pedal, and
// the notes sounding across the start. Found in one read of the song and
// kept as small records of where each setting was made, never the events'
// bytes, so that memory does not grow with the song: the clip's writer
// copies the SysEx and meta events it keeps as it reads the song again.
//
// When two tracks set the same thing, the later in time wins (at one tick,
// the later track); a setting is written in the track that made it.

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <tuple>
#include <vector>

#include "vlq.hpp"

namespace quorvane {

class OutputFile;
class SongSource;
class TrackWalker;
struct EventHead;

// Where an event lies in the song: its tick, its track and its place in the
// track. Later places win.
struct EventPlace {
    std::uint64_t tick = 0;
    std::uint32_t track = 0;
    std::uint64_t index = 0;  // the event's number in its track, from 0

    friend bool operator<(const EventPlace& a, const EventPlace& b) {
        return std::tie(a.tick, a.track, a.index) < std::tie(b.tick, b.track, b.index);
    }
    friend bool operator==(const EventPlace&, const EventPlace&) = default;
};

// A channel message to write at the clip's start: two or three bytes.
struct SetupMessage {
    std::array<std::uint8_t, 3> bytes{};
    std::uint8_t size = 3;

    friend bool operator==(const SetupMessage&, const SetupMessage&) = default;
};

class StartState {
public:
    // Reads every event of `song` before `startTick`. Throws FileError as a
    // cut would.
    static StartState read(const SongSource& song, std::uint64_t startTick);

    // The meta events kinds the clip keeps, in the order they are written.
    enum class Meta : std::uint8_t { Tempo, TimeSignature, KeySignature, Copyright, TrackName, InstrumentName };
    static constexpr std::size_t kMetaKinds = 6;
    // Of event `index` of `track` (a meta event before the start): which kept
    // setting it makes, or -1 when it makes none the clip keeps (a later
    // one of its kind wins).
    int keptMeta(std::uint32_t track, std::uint64_t index) const;

    // The channel messages `track` writes at the clip's start, in order: for
    // each channel it set up, bank select and program, the other
    // controllers, the RPN and NRPN parameters (selection, then data entry,
    // then the selection in effect at the start), pitch bend, channel
    // pressure and the sustain pedal; then the notes sounding across the
    // start, struck again with their velocity, unless `strikeNotes` is false.
    std::vector<SetupMessage> channelSetup(std::uint32_t track, bool strikeNotes) const;

    // Writes what track `track` carries to the clip's start, each event at
    // delta-time 0, reading the track from its first event with `walker`:
    // its SysEx messages before the start, in their order, then its kept meta
    // events in the order of Meta, then channelSetup(track, strikeNotes),
    // each message first given to `onSetup`, which may change its values. Leaves the walker after the
    // delta-time of the first event at or past the start and returns that
    // event's delta-time from the start; nothing when the track ends before
    // the start (its End of Track read, or the end of its chunk).
    std::optional<Vlq> writeLeadIn(TrackWalker& walker, std::uint32_t track, OutputFile& out, bool strikeNotes,
                                   const std::function<void(SetupMessage&)>& onSetup) const;

    std::uint64_t startTick() const noexcept { return startTick_; }

private:
    struct Setting {
        EventPlace place;
        std::uint8_t value[2] = {0, 0};
        bool made = false;
    };
    // An RPN (registered) or NRPN parameter by its number.
    struct Parameter {
        bool registered = true;
        std::uint8_t msb = 0;
        std::uint8_t lsb = 0;
        friend bool operator<(const Parameter& a, const Parameter& b) {
            return std::tie(a.registered, a.msb, a.lsb) < std::tie(b.registered, b.msb, b.lsb);
        }
    };
    struct ParameterValue {
        EventPlace place;  // of the last data entry
        std::uint8_t msb = 0;
        std::uint8_t lsb = 0;
        bool hasLsb = false;
    };
    struct Channel {
        Setting program;
        std::array<Setting, 128> controllers;  // bank select and the pedal among them
        Setting pitchBend;
        Setting pressure;
        Setting reset;  // the last Reset All Controllers
        std::map<Parameter, ParameterValue> parameters;
        Setting selection;  // value: msb, lsb; made with `selectionRegistered`
        bool selectionRegistered = true;
        std::array<Setting, 128> noteOn;  // value[0]: velocity
        std::array<Setting, 128> noteOff;
        Setting allNotesOff;
    };
    struct Selecting;
    void take(const EventHead& head, const EventPlace& place, Selecting& selecting);
    struct TrackMeta {
        std::array<std::uint64_t, 2> index{};  // the last track and instrument name of the track
        std::array<bool, 2> made{};
    };

    static void set(Setting& setting, const EventPlace& place, std::uint8_t first, std::uint8_t second = 0);

    std::uint64_t startTick_ = 0;
    std::array<Channel, 16> channels_;
    std::array<Setting, 4> globalMeta_;  // tempo, time signature, key signature, copyright: value unused
    std::vector<TrackMeta> trackMeta_;
};

}  // namespace quorvane
