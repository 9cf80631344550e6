#pragma once

// A song's time: its tempo map (ticks to seconds and back, through every Set
// Tempo of every track) and its meter map (the bar lines of its Time
// Signatures). Every time the program shows, logs or cuts at is computed
// here.
//
// Tempo: 500,000 microseconds per quarter note until the first Set Tempo; at
// one tick the last Set Tempo in file order (track by track) holds.
// Meter: 4/4 until the first Time Signature. A signature nn/2^dd gives bars of
// nn * 4 / 2^dd quarter notes, rounded down to whole ticks, and starts its
// bars at its own tick; a signature whose bar is under one tick is ignored.

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quorvane {

class SongSource;
class MapStream;

// One change of the song's tempo or meter, at its source tick.
struct MapEvent {
    enum class Kind : std::uint8_t { Tempo, Meter };
    std::uint64_t tick = 0;
    std::uint64_t order = 0;  // place among the song's map events in file order
    Kind kind = Kind::Tempo;
    std::uint32_t value = 0;  // Tempo: microseconds per quarter note; Meter: ticks per bar
};

// Follows the tempo from the song's start: the time of any tick at or after
// the last change it was given.
class TempoClock {
public:
    explicit TempoClock(std::uint32_t division) : division_(division) {}

    // A new tempo (microseconds per quarter note) from `tick` on; ticks never
    // go back.
    void setTempo(std::uint64_t tick, std::uint32_t tempo) {
        micros_ = microsAt(tick);
        tick_ = tick;
        tempo_ = tempo;
    }
    // Microseconds from the song's start to `tick` (at or after the last change).
    double microsAt(std::uint64_t tick) const {
        return micros_ + static_cast<double>(tick - tick_) * tempo_ / division_;
    }
    // The first tick at or after the last change whose time is at least `micros`.
    std::uint64_t firstTickAt(double micros) const;

    std::uint64_t changeTick() const noexcept { return tick_; }
    std::uint32_t tempo() const noexcept { return tempo_; }

private:
    std::uint32_t division_;
    std::uint64_t tick_ = 0;
    double micros_ = 0;
    std::uint32_t tempo_ = 500000;
};

// Follows the meter from the song's start.
class MeterClock {
public:
    explicit MeterClock(std::uint32_t division) : bar_(4 * static_cast<std::uint64_t>(division)) {}

    // A new bar length from `tick` on, where its first bar starts.
    void setBar(std::uint64_t tick, std::uint32_t barTicks) {
        start_ = tick;
        bar_ = barTicks;
    }
    // The first bar line at or after `tick` (at or after the last change),
    // were no other change to come.
    std::uint64_t barLineAtOrAfter(std::uint64_t tick) const {
        const std::uint64_t into = tick - start_;
        return start_ + (into + bar_ - 1) / bar_ * bar_;
    }

private:
    std::uint64_t start_ = 0;
    std::uint64_t bar_;
};

class Timeline {
public:
    // Reads every track of the song. Throws FileError when it cannot be read
    // (or ReadStopped once `*stop` is set).
    static Timeline read(const SongSource& song, const std::atomic<bool>* stop = nullptr);
    static Timeline read(const std::string& path);

    std::uint32_t division() const noexcept { return division_; }
    // The tick of the latest End of Track (or chunk end of a track without one).
    std::uint64_t endTick() const noexcept { return endTick_; }
    // The song's length in seconds: the time of endTick().
    double length() const noexcept { return length_; }
    // endTick() in music ticks (768 per quarter note), rounded to the nearest,
    // halves up.
    std::int32_t musicLength() const noexcept { return musicLength_; }

    // Seconds from the start to `tick`.
    double seconds(std::uint64_t tick) const;
    // The first tick whose time is at least `seconds`.
    std::uint64_t firstTickAt(double seconds) const;
    // The first bar line at or after `tick`.
    std::uint64_t barLineAtOrAfter(std::uint64_t tick) const;
    // The first bar line whose time is at least `seconds`.
    std::uint64_t firstBarLineAt(double seconds) const;
    // Where bar `bar` starts (the first bar is 1); nothing when that tick
    // does not fit in 64 bits. Bars go on past the song's end in its last meter.
    std::optional<std::uint64_t> barStart(std::uint64_t bar) const;
    // The number of the bar `tick` lies in (the first bar is 1).
    std::uint64_t barNumberAt(std::uint64_t tick) const;
    // Microseconds per quarter note in effect just after `tick`.
    std::uint32_t tempoAt(std::uint64_t tick) const;

    // Times of ticks that never go back, each found from the last: for
    // walks over a whole song or clip.
    class Cursor {
    public:
        double seconds(std::uint64_t tick);
        // The first tick at or after the last one asked whose time is at least `seconds`.
        std::uint64_t firstTickAt(double seconds);

    private:
        friend class Timeline;
        explicit Cursor(const Timeline& timeline);
        // Takes the tempo changes up to `tick` (all of them when `micros`
        // is set: those whose tick's time is below it).
        void take(std::uint64_t tick, double micros);

        std::shared_ptr<MapStream> stream_;
        TempoClock clock_;
        MapEvent next_;
        bool hasNext_ = false;
    };
    Cursor cursor() const { return Cursor(*this); }

private:
    Timeline() = default;

    std::string path_;  // the file, read again when the map did not fit in memory
    std::uint32_t division_ = 1;
    std::uint64_t endTick_ = 0;
    double length_ = 0;
    std::int32_t musicLength_ = 0;
    // The song's map events in time order, or none when it has more than fit
    // in memory (`streamed_`): those are then read from the file again.
    std::vector<MapEvent> events_;
    bool streamed_ = false;
    bool fileOrdered_ = true;  // the song's map events come in time order in the file
    friend class MapStream;
};

}  // namespace quorvane
