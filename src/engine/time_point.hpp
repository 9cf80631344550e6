#pragma once

// A point of a song as the user names it on the command line: seconds
// ("12.5"), minutes and seconds ("1:02.5"), a bar ("bar:17", the first bar
// is 1), a marker ("marker:Chorus") or a tick ("tick:7680"); and the tick
// it stands for in one song.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quorvane {

class SongSource;
class Timeline;

struct TimePoint {
    enum class Kind : std::uint8_t { Seconds, Bar, Marker, Tick };
    Kind kind = Kind::Seconds;
    double seconds = 0;        // Seconds
    std::uint64_t number = 0;  // Bar (1 and up), Tick
    std::string marker;        // Marker: the text of its Marker meta event
};

// Seconds as "12.5" or "1:02.5": digits with at most one point, the seconds
// after a colon under 60; 0 and up. Nothing for anything else.
std::optional<double> parseSeconds(std::string_view text);

// Nothing when `text` names no point in one of the five ways.
std::optional<TimePoint> parseTimePoint(std::string_view text);

// The tick `point` stands for in the song: the first tick whose time is at
// least its seconds, where its bar starts, the tick of the first Marker
// with its text (the earliest; at one tick the first in the file), or the
// tick itself. Nothing for a marker the song does not have or a bar that
// does not fit in 64 bits; the tick may lie past the song's end.
std::optional<std::uint64_t> tickOf(const TimePoint& point, const Timeline& timeline, const SongSource& song);

// The tick of the first Marker meta event whose text is `text`.
std::optional<std::uint64_t> findMarker(const SongSource& song, std::string_view text);

}  // namespace quorvane
