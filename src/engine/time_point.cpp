#include "time_point.hpp"

#include <charconv>
#include <cmath>
#include <limits>

#include "byte_reader.hpp"
#include "messages.hpp"
#include "smf.hpp"
#include "song_source.hpp"
#include "timeline.hpp"
#include "track_walker.hpp"

namespace quorvane {

namespace {

// A decimal number without sign or exponent: digits, at most one point.
std::optional<double> plainNumber(std::string_view text) {
    if (text.empty() || text.front() == '.' || text.back() == '.') return std::nullopt;
    if (text.find_first_not_of("0123456789.") != std::string_view::npos) return std::nullopt;
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// A whole number of digits alone that fits in 64 bits.
std::optional<std::uint64_t> wholeNumber(std::string_view text) {
    std::uint64_t value = 0;
    if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos) return std::nullopt;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

bool startsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

}  // namespace

std::optional<double> parseSeconds(std::string_view text) {
    std::optional<double> seconds;
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) {
        seconds = plainNumber(text);
    } else {
        const std::optional<std::uint64_t> minutes = wholeNumber(text.substr(0, colon));
        const std::optional<double> rest = plainNumber(text.substr(colon + 1));
        if (!minutes || !rest || *rest >= 60) return std::nullopt;
        seconds = static_cast<double>(*minutes) * 60 + *rest;
    }
    if (!seconds || !std::isfinite(*seconds)) return std::nullopt;
    return seconds;
}

std::optional<TimePoint> parseTimePoint(std::string_view text) {
    TimePoint point;
    if (startsWith(text, "bar:")) {
        const std::optional<std::uint64_t> bar = wholeNumber(text.substr(4));
        if (!bar || *bar == 0) return std::nullopt;
        point.kind = TimePoint::Kind::Bar;
        point.number = *bar;
    } else if (startsWith(text, "tick:")) {
        const std::optional<std::uint64_t> tick = wholeNumber(text.substr(5));
        if (!tick) return std::nullopt;
        point.kind = TimePoint::Kind::Tick;
        point.number = *tick;
    } else if (startsWith(text, "marker:")) {
        if (text.size() == 7) return std::nullopt;
        point.kind = TimePoint::Kind::Marker;
        point.marker = text.substr(7);
    } else {
        const std::optional<double> seconds = parseSeconds(text);
        if (!seconds) return std::nullopt;
        point.seconds = *seconds;
    }
    return point;
}

std::optional<std::uint64_t> tickOf(const TimePoint& point, const Timeline& timeline, const SongSource& song) {
    switch (point.kind) {
        case TimePoint::Kind::Seconds: return timeline.firstTickAt(point.seconds);
        case TimePoint::Kind::Bar: return timeline.barStart(point.number);
        case TimePoint::Kind::Marker: return findMarker(song, point.marker);
        case TimePoint::Kind::Tick: return point.number;
    }
    return std::nullopt;
}

std::optional<std::uint64_t> findMarker(const SongSource& song, std::string_view text) {
    ByteReader in = song.reader();
    const SmfHeader header = readHeader(in);
    std::optional<std::uint64_t> found;
    std::string payload;
    for (std::uint32_t track = 0; track < header.trackCount; ++track) {
        TrackWalker walker(in);
        EventHead head;
        while (walker.next(head)) {
            if (head.kind == EventKind::Channel) continue;
            if (found && walker.ticks() >= *found) break;  // no earlier one in this track
            if (isMeta(head, kMetaMarker) && head.length.value == text.size()) {
                payload.clear();
                in.copy(head.length.value,
                        [&](std::span<const std::uint8_t> piece) { payload.append(piece.begin(), piece.end()); });
                if (payload == text) found = walker.ticks();
                continue;
            }
            walker.skipPayload(head);
            if (isEndOfTrack(head)) break;
        }
        walker.finish();
    }
    return found;
}

}  // namespace quorvane
