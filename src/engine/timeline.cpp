#include "timeline.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "byte_reader.hpp"
#include "errors.hpp"
#include "music_time.hpp"
#include "platform/files.hpp"
#include "smf.hpp"
#include "song_source.hpp"
#include "track_walker.hpp"

namespace quorvane {

namespace {

// Map events kept in memory: far more than any real song has. A song of more
// (a file of nothing but tempo changes) keeps memory bounded and has its map
// read from the file again for each question.
constexpr std::size_t kKeptEvents = std::size_t{1} << 16;

bool before(const MapEvent& a, const MapEvent& b) { return a.tick != b.tick ? a.tick < b.tick : a.order < b.order; }

// The bar of a Time Signature nn/2^dd in ticks, rounded down; 0 when it is
// under one tick (such a signature is ignored).
std::uint32_t barTicks(std::uint8_t numerator, std::uint8_t power, std::uint32_t division) {
    if (power >= 32) return 0;
    return static_cast<std::uint32_t>((std::uint64_t{numerator} * 4 * division) >> power);
}

// A number of ticks from a non-negative double, saturating.
std::uint64_t ticksFrom(double value) {
    if (!(value > 0)) return 0;
    if (value >= 1.8e19) return std::numeric_limits<std::uint64_t>::max();
    return static_cast<std::uint64_t>(value);
}

}  // namespace

std::uint64_t TempoClock::firstTickAt(double micros) const {
    if (!(micros > micros_)) return tick_;
    std::uint64_t tick = tick_ + ticksFrom(std::ceil((micros - micros_) * division_ / tempo_));
    // The division's rounding may land a tick off either way: the time of
    // each tick is what microsAt() says.
    while (tick > tick_ && microsAt(tick - 1) >= micros) --tick;
    while (tick != std::numeric_limits<std::uint64_t>::max() && microsAt(tick) < micros) ++tick;
    return tick;
}

// Reads a song's tempo and meter changes in file order, track after track,
// one at a time, and where its tracks end.
class MapEventReader {
public:
    explicit MapEventReader(ByteReader in) : in_(std::move(in)), header_(readHeader(in_)) {}
    // The track in hand refers to the reader.
    MapEventReader(const MapEventReader&) = delete;
    MapEventReader& operator=(const MapEventReader&) = delete;

    std::uint32_t division() const noexcept { return header_.division(); }
    // The latest track end so far; the song's once next() has said false.
    std::uint64_t endTick() const noexcept { return endTick_; }
    // Where the track that ends last ends in the file.
    std::uint64_t endOffset() const noexcept { return endOffset_; }

    // The next map event; false once every track is read.
    bool next(MapEvent& out) {
        for (;;) {
            if (!track_) {
                if (trackIndex_ == header_.trackCount) return false;
                track_.emplace(in_);
            }
            if (nextInTrack(*track_, out)) return true;
            endTrack(*track_);
            track_.reset();
        }
    }

    // Gives every map event to `each`, as next() would one at a time. The
    // track walked is a local here, which keeps the whole read of a song
    // as fast as a loop of its own.
    template <typename Each>
    void forEach(Each&& each) {
        MapEvent event;
        while (trackIndex_ != header_.trackCount) {
            TrackWalker track(in_);
            while (nextInTrack(track, event)) each(event);
            endTrack(track);
        }
    }

private:
    void endTrack(TrackWalker& track) {
        if (track.ticks() > endTick_ || trackIndex_ == 0) endOffset_ = in_.offset();
        track.finish();
        endTick_ = std::max(endTick_, track.ticks());
        ++trackIndex_;
    }

    // The next map event of the track in hand; false at its end.
    bool nextInTrack(TrackWalker& track, MapEvent& out) {
        EventHead head;
        for (;;) {
            track.skipChannelMessages();  // nearly every event, in a tight loop
            if (!track.next(head)) return false;
            if (head.kind == EventKind::SysEx) track.skipPayload(head);
            if (head.kind != EventKind::Meta) continue;
            if (isSetTempo(head)) {
                out = MapEvent{track.ticks(), order_++, MapEvent::Kind::Tempo, readTempo(in_, head)};
                return true;
            }
            if (isMeta(head, kMetaTimeSignature) && head.length.value >= 2) {
                const std::uint8_t numerator = in_.u8();
                const std::uint8_t power = in_.u8();
                in_.skip(head.length.value - 2);
                const std::uint32_t bar = barTicks(numerator, power, division());
                if (bar == 0) continue;
                out = MapEvent{track.ticks(), order_++, MapEvent::Kind::Meter, bar};
                return true;
            }
            track.skipPayload(head);
            if (isEndOfTrack(head)) return false;
        }
    }

    ByteReader in_;
    SmfHeader header_;
    std::uint32_t trackIndex_ = 0;
    std::optional<TrackWalker> track_;  // the track being read
    std::uint64_t order_ = 0;
    std::uint64_t endTick_ = 0;
    std::uint64_t endOffset_ = 0;
};

// A song's map events in time order: from memory, or read from the file
// again. A file whose map events do not come in time order (several tracks
// of tempo changes, more than memory keeps) is read once for each batch of
// the earliest ones not yet given.
class MapStream {
public:
    explicit MapStream(const Timeline& timeline) : timeline_(timeline) {}

    bool next(MapEvent& out) {
        if (!timeline_.streamed_) {
            if (index_ == timeline_.events_.size()) return false;
            out = timeline_.events_[index_++];
            return true;
        }
        if (timeline_.fileOrdered_) {
            if (!reader_) reader_.emplace(open());
            return reader_->next(out);
        }
        if (index_ == batch_.size()) {
            if (exhausted_) return false;
            readBatch();
            if (batch_.empty()) return false;
        }
        out = batch_[index_++];
        return true;
    }

private:
    ByteReader open() const { return ByteReader::open(pathFromUtf8(timeline_.path_), timeline_.path_); }

    void readBatch() {
        std::optional<MapEvent> after;
        if (!batch_.empty()) after = batch_.back();
        batch_.clear();
        index_ = 0;
        MapEventReader reader(open());
        MapEvent event;
        // The earliest events after the last one given, in a max-heap.
        while (reader.next(event)) {
            if (after && !before(*after, event)) continue;
            if (batch_.size() < kKeptEvents) {
                batch_.push_back(event);
                std::push_heap(batch_.begin(), batch_.end(), before);
            } else if (before(event, batch_.front())) {
                std::pop_heap(batch_.begin(), batch_.end(), before);
                batch_.back() = event;
                std::push_heap(batch_.begin(), batch_.end(), before);
            }
        }
        exhausted_ = batch_.size() < kKeptEvents;
        std::sort_heap(batch_.begin(), batch_.end(), before);
    }

    const Timeline& timeline_;
    std::size_t index_ = 0;
    std::optional<MapEventReader> reader_;
    std::vector<MapEvent> batch_;
    bool exhausted_ = false;
};

Timeline Timeline::read(const std::string& path) {
    const SongSource song(path);
    return read(song);
}

Timeline Timeline::read(const SongSource& song, const std::atomic<bool>* stop) {
    ByteReader in = song.reader();
    in.stopWhen(stop);
    MapEventReader reader(std::move(in));
    Timeline timeline;
    timeline.path_ = song.path();
    timeline.division_ = reader.division();
    std::uint64_t lastTick = 0;
    reader.forEach([&](const MapEvent& event) {
        timeline.fileOrdered_ = timeline.fileOrdered_ && event.tick >= lastTick;
        lastTick = event.tick;
        if (timeline.streamed_) return;
        if (timeline.events_.size() < kKeptEvents) {
            timeline.events_.push_back(event);
            return;
        }
        timeline.streamed_ = true;
        std::vector<MapEvent>().swap(timeline.events_);
    });
    if (!timeline.fileOrdered_) std::sort(timeline.events_.begin(), timeline.events_.end(), before);
    timeline.endTick_ = reader.endTick();

    // Music time rounded to the nearest tick, halves up.
    const std::uint64_t division = timeline.division_;
    constexpr std::uint64_t kTwice = std::uint64_t{2} * kMusicTicksPerQuarter;
    if (timeline.endTick_ > std::numeric_limits<std::uint64_t>::max() / kTwice) {
        throw FileError(ErrorKind::UnreadableMidi, song.path(), "the song is too long", reader.endOffset());
    }
    const std::uint64_t music = (timeline.endTick_ * kTwice + division) / (2 * division);
    if (music > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
        throw FileError(ErrorKind::UnreadableMidi, song.path(), "the song is too long for 32-bit music time",
                        reader.endOffset());
    }
    timeline.musicLength_ = static_cast<std::int32_t>(music);
    timeline.length_ = timeline.seconds(timeline.endTick_);
    return timeline;
}

double Timeline::seconds(std::uint64_t tick) const {
    MapStream stream(*this);
    TempoClock clock(division_);
    MapEvent event;
    while (stream.next(event) && event.tick <= tick) {
        if (event.kind == MapEvent::Kind::Tempo) clock.setTempo(event.tick, event.value);
    }
    return clock.microsAt(tick) / 1e6;
}

std::uint32_t Timeline::tempoAt(std::uint64_t tick) const {
    MapStream stream(*this);
    TempoClock clock(division_);
    MapEvent event;
    while (stream.next(event) && event.tick <= tick) {
        if (event.kind == MapEvent::Kind::Tempo) clock.setTempo(event.tick, event.value);
    }
    return clock.tempo();
}

std::uint64_t Timeline::firstTickAt(double seconds) const {
    const double micros = seconds * 1e6;
    MapStream stream(*this);
    TempoClock clock(division_);
    MapEvent event;
    while (stream.next(event)) {
        if (event.kind != MapEvent::Kind::Tempo) continue;
        if (clock.microsAt(event.tick) >= micros) break;  // reached before this change
        clock.setTempo(event.tick, event.value);
    }
    return clock.firstTickAt(micros);
}

std::uint64_t Timeline::barLineAtOrAfter(std::uint64_t tick) const {
    MapStream stream(*this);
    MeterClock meter(division_);
    MapEvent event;
    while (stream.next(event)) {
        if (event.kind != MapEvent::Kind::Meter) continue;
        // A signature after the tick starts a bar of its own there, if no
        // bar line of the meter before it comes first.
        if (event.tick > tick) return std::min(meter.barLineAtOrAfter(tick), event.tick);
        meter.setBar(event.tick, event.value);
    }
    return meter.barLineAtOrAfter(tick);
}

std::optional<std::uint64_t> Timeline::barStart(std::uint64_t bar) const {
    if (bar == 0) return std::nullopt;
    MapStream stream(*this);
    std::uint64_t start = 0;  // where bar `number` starts, in a meter of `length` ticks a bar
    std::uint64_t number = 1;
    std::uint64_t length = std::uint64_t{4} * division_;
    MapEvent event;
    while (stream.next(event)) {
        if (event.kind != MapEvent::Kind::Meter) continue;
        // The bars of the meter so far that start before this change (the
        // last perhaps cut short by it).
        const std::uint64_t bars = (event.tick - start + length - 1) / length;
        if (bar - number < bars) return start + (bar - number) * length;
        number += bars;
        start = event.tick;
        length = event.value;
    }
    const std::uint64_t into = bar - number;
    if (into > (std::numeric_limits<std::uint64_t>::max() - start) / length) return std::nullopt;
    return start + into * length;
}

std::uint64_t Timeline::barNumberAt(std::uint64_t tick) const {
    MapStream stream(*this);
    std::uint64_t start = 0;
    std::uint64_t number = 1;
    std::uint64_t length = std::uint64_t{4} * division_;
    MapEvent event;
    while (stream.next(event) && event.tick <= tick) {
        if (event.kind != MapEvent::Kind::Meter) continue;
        number += (event.tick - start + length - 1) / length;
        start = event.tick;
        length = event.value;
    }
    return number + (tick - start) / length;
}

std::uint64_t Timeline::firstBarLineAt(double seconds) const {
    // Time only grows with the ticks: the first bar line whose time is at
    // least `seconds` is the first at or after the first such tick.
    return barLineAtOrAfter(firstTickAt(seconds));
}

Timeline::Cursor::Cursor(const Timeline& timeline)
    : stream_(std::make_shared<MapStream>(timeline)), clock_(timeline.division()) {
    hasNext_ = stream_->next(next_);
}

void Timeline::Cursor::take(std::uint64_t tick, double micros) {
    while (hasNext_ && next_.tick <= tick) {
        if (next_.kind == MapEvent::Kind::Tempo) {
            if (clock_.microsAt(next_.tick) >= micros) return;
            clock_.setTempo(next_.tick, next_.value);
        }
        hasNext_ = stream_->next(next_);
    }
}

double Timeline::Cursor::seconds(std::uint64_t tick) {
    take(tick, std::numeric_limits<double>::infinity());
    return clock_.microsAt(tick) / 1e6;
}

std::uint64_t Timeline::Cursor::firstTickAt(double seconds) {
    const double micros = seconds * 1e6;
    take(std::numeric_limits<std::uint64_t>::max(), micros);
    return clock_.firstTickAt(micros);
}

}  // namespace quorvane
