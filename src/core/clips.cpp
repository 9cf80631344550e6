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

ClipOutcome clipSong(const std::string& file, const ClipPlan& plan, const CutHook& afterCut) {
    const SongInFolder alone = listSongAlone(file);
    const std::string path = alone.path();
    const SongSource source(path);
    const SongInfo song = measureSong(path, alone.song);
    if (song.format > 1) throw unsupportedFormat(path, song.format);
    const Timeline& timeline = *song.timeline;

    ClipOutcome outcome;
    outcome.song = alone.song;
    outcome.format = song.format;
    outcome.division = song.division;
    outcome.songSeconds = timeline.length();
    std::uint64_t start = tickFor(plan.from, timeline, source);
    if (plan.snapToBar) start = *timeline.barStart(timeline.barNumberAt(start));
    if (start >= timeline.endTick()) {
        refuse(path, "the clip would start at " + secondsText(timeline.seconds(start)) +
                         " s, at or past the song's end (" + secondsText(timeline.length()) + " s)");
    }
    std::uint64_t end = kWholeSong;
    if (plan.to) end = tickFor(*plan.to, timeline, source);
    if (plan.lengthSeconds) end = timeline.firstTickAt(timeline.seconds(start) + *plan.lengthSeconds);
    if (end <= start) refuse(path, "the clip would end before it starts");
    if (end != kWholeSong && !plan.exactEnd && song.formatOne()) end = timeline.barLineAtOrAfter(end);
    if (plan.trimSilence) {
        const std::optional<NoteSpan> notes = noteSpan(source, start, std::min(end, timeline.endTick()));
        if (!notes) refuse(path, "no note sounds in the clip");
        start = notes->first;
        end = notes->last;
    }
    if (end >= timeline.endTick()) end = kWholeSong;

    std::string out = plan.out;
    if (out.empty()) {
        const std::string cut = cutFilePath(path, alone.song.text, plan.dest, alone.song.cutNumber);
        const std::string suffix = "-CUT.mid";
        out = cut.substr(0, cut.size() - suffix.size()) + "-" +
              // A start moved to the first note is named by its time.
              clipStartName(plan.trimSilence ? TimePoint{TimePoint::Kind::Tick, 0, start, {}} : plan.from, start,
                            timeline, plan.snapToBar && !plan.trimSilence) +
              suffix;
        if (!song.formatOne()) out = alone.song.keepsCase ? lowerCaseSuffix(out) : lowerCaseFileName(out);
    }
    const std::string folder = utf8FromPath(pathFromUtf8(out).parent_path());
    const DestinationLock claim = claimDestination(folder, DestinationLock::Use::SingleCut);

    const StartState state = StartState::read(source, start);
    CutRequest request;
    request.source = path;
    request.listedName = alone.song.text;
    request.cutTick = end;
    request.timeline = &timeline;
    request.song = &source;
    request.start = start > 0 ? &state : nullptr;
    request.strikeNotes = plan.strikeNotes;
    request.outPath = out;
    outcome.clipFile = song.formatOne() ? cutFormatOne(request).path : cutFormatZero(request).path;
    outcome.startTick = start;
    outcome.endTick = end == kWholeSong ? timeline.endTick() : end;
    outcome.startSeconds = timeline.seconds(start);
    outcome.endSeconds = timeline.seconds(outcome.endTick);
    if (afterCut) afterCut(outcome.clipFile);
    return outcome;
}

}  // namespace quorvane
