#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cut_service.hpp"
#include "engine/fade.hpp"
#include "engine/time_point.hpp"

namespace quorvane {

class SongSource;

// A clip from anywhere in a song, as `quorvane clip` asks for it.
struct ClipPlan {
    TimePoint from;
    std::optional<TimePoint> to;          // where it ends...
    std::optional<double> lengthSeconds;  // ...or how long it lasts; neither: to the song's end
    bool snapToBar = false;               // the start moves back to the bar line at or before it
    bool exactEnd = false;                // ends at the time asked, not by the cut rules
    bool strikeNotes = true;              // the notes sounding across the start are struck again
    bool trimSilence = false;             // starts at its first note, ends when its last note ends
    std::string dest;                     // empty: beside the song
    std::string out;                      // set: the file written, whatever the clip's name would be
    // Fades of chosen length, seconds (see engine/fade.hpp): up from silence
    // at the start, down to silence at the end (Format 0: in place of the
    // fade over the clip's last tenth; a clip to the song's end fades there).
    std::optional<double> fadeInSeconds;
    std::optional<double> fadeOutSeconds;
    FadeCurve fadeCurve = FadeCurve::Linear;
};

// What a clip wrote, and where it lies in the song.
struct ClipOutcome {
    ListedSong song;
    std::uint16_t format = 0;
    std::uint32_t division = 0;
    double songSeconds = 0;  // the whole song's length
    std::string clipFile;
    std::uint64_t startTick = 0;
    std::uint64_t endTick = 0;  // the song's end tick when the clip runs to it
    double startSeconds = 0;
    double endSeconds = 0;
};

// The name part of a clip from `from`, as its file is named (NAME-FROM-CUT.mid):
// "bar17" for a bar (snapped: the bar it starts), "12.5s" for a time, else
// the start's time.
std::string clipStartName(const TimePoint& from, std::uint64_t startTick, const Timeline& timeline, bool snapped);

// Writes the clip of FILE that `plan` asks for. The start carries the song's
// state (see engine/start_state.hpp); the end follows the cut rules: Format 0
// at the time, Format 1 at the first bar line at or after it, unless
// `plan.exactEnd`. Format and division are kept. Throws FileError: CannotCut
// naming the song for a marker it lacks, a start at or past its end or an end
// not after the start; the others as a cut does.
ClipOutcome clipSong(const std::string& file, const ClipPlan& plan, const CutHook& afterCut = {});

// The tick `from` stands for in a song as a clip's start (with `snapToBar`,
// the bar line at or before it); refused (FileError CannotCut naming the
// song) for a marker the song lacks or a start at or past its end.
std::uint64_t clipStartTick(const TimePoint& from, const Timeline& timeline, const SongSource& song,
                            bool snapToBar = false);

// How `quorvane split` cuts a song into pieces.
struct SplitPlan {
    std::optional<double> everySeconds;  // a piece every so many seconds...
    std::uint64_t bars = 0;              // ...or bars
    std::string dest;                    // empty: beside the song
};

// Writes FILE in numbered pieces, NAME-001-CUT.mid and on, that together
// cover the song without gap or overlap, each carrying the song's state to
// its start as a clip does; each ends exactly where the next starts,
// without a fade, its channels silenced. `onPiece` hears of each as it is
// written. Throws FileError as clipSong does.
std::vector<ClipOutcome> splitSong(const std::string& file, const SplitPlan& plan,
                                   const std::function<void(const ClipOutcome&)>& onPiece = {},
                                   const CutHook& afterCut = {});

}  // namespace quorvane
