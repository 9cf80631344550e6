#include "clips.hpp"

#include <cmath>
#include <cstdio>

#include "destination_lock.hpp"
#include "engine/cut_name.hpp"
#include "engine/cut_points.hpp"
#include "engine/cutters.hpp"
#include "engine/errors.hpp"
#include "engine/note_span.hpp"
#include "engine/song_source.hpp"
#include "engine/start_state.hpp"
#include "engine/timeline.hpp"
#include "error_messages.hpp"
#include "platform/files.hpp"
#include "song_listing.hpp"

namespace quorvane {

namespace {

[[noreturn]] void refuse(const std::string& song, const std::string& reason) {
    throw FileError(ErrorKind::CannotCut, song, reason);
}

std::string describe(const TimePoint& point) {
    switch (point.kind) {
        case TimePoint::Kind::Bar: return "bar " + std::to_string(point.number);
        case TimePoint::Kind::Marker: return "no marker named \"" + point.marker + "\"";
        case TimePoint::Kind::Tick: return "tick " + std::to_string(point.number);
        case TimePoint::Kind::Seconds: break;
    }
    return "that time";
}

// The tick `point` stands for; refused when the song has no such point.
std::uint64_t tickFor(const TimePoint& point, const Timeline& timeline, const SongSource& song) {
    const std::optional<std::uint64_t> tick = tickOf(point, timeline, song);
    if (tick) return *tick;
    if (point.kind == TimePoint::Kind::Marker) refuse(song.path(), "the song has " + describe(point));
    refuse(song.path(), describe(point) + " lies past the song's end");
}

// "12.5" from 12.5, "17" from 17.0: milliseconds at most.
std::string secondsText(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", std::floor(seconds * 1000 + 0.5) / 1000);
    std::string out = text;
    while (out.back() == '0') out.pop_back();
    if (out.back() == '.') out.pop_back();
    return out;
}

}  // namespace

std::string clipStartName(const TimePoint& from, std::uint64_t startTick, const Timeline& timeline, bool snapped) {
    if (from.kind == TimePoint::Kind::Bar && !snapped) return "bar" + std::to_string(from.number);
    if (snapped) return "bar" + std::to_string(timeline.barNumberAt(startTick));
    // The time asked for, not its first tick's: "12.5s" for --from 12.5.
    if (from.kind == TimePoint::Kind::Seconds) return secondsText(from.seconds) + "s";
    return secondsText(timeline.seconds(startTick)) + "s";
}

namespace {

// A song measured for clipping, its source held open.
struct ClipSource {
    explicit ClipSource(const std::string& file)
        : alone(listSongAlone(file)), path(alone.path()), source(path), song(measureSong(path, alone.song)) {
        if (song.format > 1) throw unsupportedFormat(path, song.format);
    }
    const Timeline& timeline() const { return *song.timeline; }

    SongInFolder alone;
    std::string path;
    SongSource source;
    SongInfo song;
};

// The file a clip named `part` goes to: NAME-PART-CUT.mid beside the song or
// in `dest`, in lower case for Format 0 as cuts are.
std::string clipPath(const ClipSource& clip, const std::string& dest, const std::string& part) {
    const std::string cut = cutFilePath(clip.path, clip.alone.song.text, dest, clip.alone.song.cutNumber);
    const std::string suffix = "-CUT.mid";
    std::string out = cut.substr(0, cut.size() - suffix.size()) + "-" + part + suffix;
    if (clip.song.formatOne()) return out;
    return clip.alone.song.keepsCase ? lowerCaseSuffix(out) : lowerCaseFileName(out);
}

// How a clip is written, beyond where it lies.
struct ClipWriting {
    bool strikeNotes = true;
    std::optional<double> fadeIn;
    std::optional<double> fadeOut;
    FadeCurve curve = FadeCurve::Linear;
};

// Writes the clip from `start` to `end` (kWholeSong: the song's end) to `out`.
ClipOutcome writeClip(const ClipSource& clip, std::uint64_t start, std::uint64_t end, const std::string& out,
                      const ClipWriting& how) {
    const Timeline& timeline = clip.timeline();
    const StartState state = StartState::read(clip.source, start);
    CutRequest request;
    request.source = clip.path;
    request.listedName = clip.alone.song.text;
    request.cutTick = end;
    request.timeline = &timeline;
    request.song = &clip.source;
    request.start = start > 0 ? &state : nullptr;
    request.strikeNotes = how.strikeNotes;
    request.outPath = out;
    request.fadeInSeconds = how.fadeIn;
    request.fadeOutSeconds = how.fadeOut;
    request.fadeCurve = how.curve;
    ClipOutcome outcome;
    outcome.song = clip.alone.song;
    outcome.format = clip.song.format;
    outcome.division = clip.song.division;
    outcome.songSeconds = timeline.length();
    outcome.clipFile = clip.song.formatOne() ? cutFormatOne(request).path : cutFormatZero(request).path;
    outcome.startTick = start;
    outcome.endTick = end == kWholeSong ? timeline.endTick() : end;
    outcome.startSeconds = timeline.seconds(start);
    outcome.endSeconds = timeline.seconds(outcome.endTick);
    return outcome;
}

}  // namespace

std::uint64_t clipStartTick(const TimePoint& from, const Timeline& timeline, const SongSource& song, bool snapToBar) {
    std::uint64_t start = tickFor(from, timeline, song);
    if (snapToBar) start = *timeline.barStart(timeline.barNumberAt(start));
    if (start >= timeline.endTick()) {
        refuse(song.path(), "the clip would start at " + secondsText(timeline.seconds(start)) +
                                " s, at or past the song's end (" + secondsText(timeline.length()) + " s)");
    }
    return start;
}

ClipOutcome clipSong(const std::string& file, const ClipPlan& plan, const CutHook& afterCut) {
    const ClipSource clip(file);
    const std::string& path = clip.path;
    const SongSource& source = clip.source;
    const Timeline& timeline = clip.timeline();
    std::uint64_t start = clipStartTick(plan.from, timeline, source, plan.snapToBar);
    std::uint64_t end = kWholeSong;
    if (plan.to) end = tickFor(*plan.to, timeline, source);
    if (plan.lengthSeconds) end = timeline.firstTickAt(timeline.seconds(start) + *plan.lengthSeconds);
    if (end <= start) refuse(path, "the clip would end before it starts");
    if (end != kWholeSong && !plan.exactEnd && clip.song.formatOne()) end = timeline.barLineAtOrAfter(end);
    if (plan.trimSilence) {
        const std::optional<NoteSpan> notes = noteSpan(source, start, std::min(end, timeline.endTick()));
        if (!notes) refuse(path, "no note sounds in the clip");
        start = notes->first;
        end = notes->last;
    }
    if (end >= timeline.endTick()) end = kWholeSong;

    std::string out = plan.out;
    if (out.empty()) {
        // A start moved to the first note is named by its time.
        out = clipPath(clip, plan.dest,
                       clipStartName(plan.trimSilence ? TimePoint{TimePoint::Kind::Tick, 0, start, {}} : plan.from,
                                     start, timeline, plan.snapToBar && !plan.trimSilence));
    }
    const DestinationLock claim =
        claimDestination(utf8FromPath(pathFromUtf8(out).parent_path()), DestinationLock::Use::SingleCut);
    ClipWriting how;
    how.strikeNotes = plan.strikeNotes;
    how.fadeIn = plan.fadeInSeconds;
    how.fadeOut = plan.fadeOutSeconds;
    how.curve = plan.fadeCurve;
    ClipOutcome outcome = writeClip(clip, start, end, out, how);
    if (afterCut) afterCut(outcome.clipFile);
    return outcome;
}

std::vector<ClipOutcome> splitSong(const std::string& file, const SplitPlan& plan,
                                   const std::function<void(const ClipOutcome&)>& onPiece, const CutHook& afterCut) {
    const ClipSource clip(file);
    const Timeline& timeline = clip.timeline();
    // Where the pieces start: every so many seconds, or bars.
    std::vector<std::uint64_t> starts;
    for (std::uint64_t k = 0;; ++k) {
        std::optional<std::uint64_t> tick;
        if (plan.everySeconds) {
            const double at = static_cast<double>(k) * *plan.everySeconds;
            if (at >= timeline.length()) break;
            tick = timeline.firstTickAt(at);
        } else {
            tick = timeline.barStart(1 + k * plan.bars);
        }
        if (!tick || *tick >= timeline.endTick()) break;
        if (starts.empty() || *tick > starts.back()) starts.push_back(*tick);
    }
    const std::string folder = plan.dest.empty() ? utf8FromPath(pathFromUtf8(clip.path).parent_path()) : plan.dest;
    const DestinationLock claim = claimDestination(folder, DestinationLock::Use::SingleCut);
    std::vector<ClipOutcome> pieces;
    for (std::size_t k = 0; k < starts.size(); ++k) {
        char number[24];
        std::snprintf(number, sizeof number, "%03zu", k + 1);
        const std::uint64_t end = k + 1 < starts.size() ? starts[k + 1] : kWholeSong;
        // Pieces meet exactly: no fade, every channel silenced where the next starts.
        ClipWriting how;
        how.fadeOut = 0.0;
        pieces.push_back(writeClip(clip, starts[k], end, clipPath(clip, plan.dest, number), how));
        if (afterCut) afterCut(pieces.back().clipFile);
        if (onPiece) onPiece(pieces.back());
    }
    return pieces;
}

}  // namespace quorvane
