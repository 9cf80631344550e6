#pragma once

// Our own measuring engine: it loads a MIDI file as a segment, tells its
// length in music time (768 ticks per quarter note) and the tempo in effect
// at a music time. Nothing is played and no sound is made; the objects and
// operations mirror those a desktop music engine offers, so that the window
// code reads the same whichever engine stands behind it.

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace quorvane::music {

inline constexpr std::int32_t kTicksPerQuarter = 768;
inline constexpr double kDefaultBpm = 120.0;

// A failing engine operation: which operation, on which file, and why.
class EngineError : public std::runtime_error {
public:
    EngineError(std::string operation, std::string file, std::string reason);
    const std::string& operation() const noexcept { return operation_; }
    const std::string& file() const noexcept { return file_; }
    const std::string& reason() const noexcept { return reason_; }

private:
    std::string operation_, file_, reason_;
};

// A Set Tempo event, at its source tick.
struct TempoPoint {
    std::uint64_t tick = 0;
    std::uint32_t microsPerQuarter = 0;
};

// The Set Tempo event in effect at source tick `reach`: the last in tick
// order, ties in file order, at or before it; nothing before the first.
// Reads the whole file again, in constant memory.
std::optional<std::uint32_t> tempoInFile(const std::string& path, std::uint64_t reach);

class Segment {
public:
    // What a load learned: the whole file parsed by the checked reader.
    // `tempos` sorted by tick; `division` in ticks per quarter note. The
    // tempos are the song's first ones only when a song has very many:
    // those at `horizon` ticks and later may be missing, and are read from
    // the file when a time that far is asked for.
    Segment(std::string file, std::int32_t length, std::uint32_t division, std::vector<TempoPoint> tempos,
            std::uint64_t horizon = kNoHorizon);
    static constexpr std::uint64_t kNoHorizon = ~std::uint64_t{0};

    void SetStandardMidiFile() {}
    std::int32_t GetLength() const { return length_; }
    void SetLength(std::int32_t length);  // negative lengths are refused
    // Quarter notes per minute at `musicTime` from the segment's start.
    double tempoAt(std::int64_t musicTime) const;
    const std::string& file() const { return file_; }

private:
    std::string file_;
    std::int32_t length_;
    std::uint32_t division_;
    std::vector<TempoPoint> tempos_;
    std::uint64_t horizon_;
};

class SegmentState {
public:
    SegmentState(std::shared_ptr<Segment> segment, std::int32_t startTime)
        : segment_(std::move(segment)), startTime_(startTime) {}
    const std::shared_ptr<Segment>& segment() const { return segment_; }
    std::int32_t startTime() const { return startTime_; }
    bool playing() const { return playing_; }
    void stopped() { playing_ = false; }

private:
    std::shared_ptr<Segment> segment_;
    std::int32_t startTime_;
    bool playing_ = true;
};

class Loader {
public:
    // Parses the whole file (all tracks, all Set Tempo events). An unreadable
    // file throws quorvane::FileError, as the engine's other readers do.
    std::shared_ptr<Segment> LoadSegment(const std::string& path);
};

class Performance {
public:
    void CloseDown();
    void Init(void* soundDevice, std::intptr_t window);
    void SetPort(std::int32_t port, std::int32_t channelGroups);
    void SetMasterAutoDownload(bool on);
    std::int32_t GetMusicTime() const;
    std::shared_ptr<SegmentState> PlaySegment(const std::shared_ptr<Segment>& segment, std::int32_t flags,
                                              std::int32_t startTime);
    // Quarter notes per minute in effect at `musicTime`, from the tempo events of
    // the segment that is playing (120 before the first one). `unused` is set to 0.
    double GetTempo(std::int32_t musicTime, std::int32_t& unused) const;
    void Stop(const std::shared_ptr<Segment>& segment, const std::shared_ptr<SegmentState>& state,
              std::int32_t time, std::int32_t flags);

private:
    void requireOpen(const char* operation) const;

    bool initialised_ = false;
    bool closed_ = false;
    std::int32_t clock_ = 0;
    std::shared_ptr<SegmentState> playing_;
};

class Root {
public:
    std::shared_ptr<Loader> CreateLoader() { return std::make_shared<Loader>(); }
    std::shared_ptr<Performance> CreatePerformance() { return std::make_shared<Performance>(); }
};

}  // namespace quorvane::music
