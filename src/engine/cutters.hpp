#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "fade.hpp"

namespace quorvane {

class SongSource;
class StartState;
class Timeline;

// What a cut needs: the song, where its copy goes, and where it is cut.
struct CutRequest {
    std::string source;                  // path of the song (UTF-8)
    std::string listedName;              // the name the list shows; names the copy in a destination folder
    std::string destFolder;              // empty: the copy goes beside the source
    bool keepsNameCase = false;          // another file's name differs only in case: the copy keeps the case
    int cutNumber = 0;                   // 2 or more: the copy is NAME-N-CUT.mid (see cutNumbers)
    std::uint64_t cutTick = 0;           // source tick where the clip ends (Format 1: a bar line); see cut_points.hpp
    const Timeline* timeline = nullptr;  // the song's (Format 0 fades by it), or none: read here when needed
    const SongSource* song = nullptr;    // the source already opened (for `source`), or none: opened here
    // A clip from a later tick: what it carries over from before it (see
    // start_state.hpp). None: the clip starts with the song.
    const StartState* start = nullptr;
    bool strikeNotes = true;  // the notes sounding across the start are struck again
    std::string outPath;      // set: the file written, whatever the cut's name would be
    // Fades of chosen length, in seconds, for both formats (see fade.hpp):
    // from silence at the clip's start, and to silence at its end (a clip to
    // the song's end then ends there, closed as at a cut). Format 0 without
    // `fadeOutSeconds`: the last tenth of the clip's time fades, in steps of
    // a tenth of a second, as every cut; 0: no fade at all.
    std::optional<double> fadeInSeconds;
    std::optional<double> fadeOutSeconds;
    FadeCurve fadeCurve = FadeCurve::Linear;

    // A fade of chosen length above 0 s, in or out.
    bool choosesFades() const {
        return (fadeInSeconds && *fadeInSeconds > 0) || (fadeOutSeconds && *fadeOutSeconds > 0);
    }
};

struct CutResult {
    std::string path;                      // the file written
    bool insideSong = false;               // Format 0: the cut fell before the song's own end
    std::array<int, 16> channelVolumes{};  // Format 0: the last Channel Volume per channel
};

// Writes the cut copy of a Format 1 song: every track that reaches the cut
// tick (a bar line) ends exactly there, each channel it used silenced (its
// sustain pedal released first), then End of Track; a track that ends
// earlier keeps its own end. With a start, each track begins with what it
// carries over and goes on with its events from the start. With fades, each
// track steps the channels it plays. Throws
// FileError; on failure no file is created or changed.
CutResult cutFormatOne(const CutRequest& request);

// Writes the cut copy of a single-track song ending at the cut tick, under a
// lower-case file name: the last tenth of the clip's time fades to silence
// with Channel Volume, and all sixteen channels are silenced at the cut. A
// cut at kWholeSong copies the song as it is. Throws FileError; on failure
// no file is created or changed.
CutResult cutFormatZero(const CutRequest& request);

}  // namespace quorvane
