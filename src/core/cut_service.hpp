#pragma once

// Cutting songs without a window: what the command line, the window's model
// and a batch's worker threads call. Every operation throws FileError with
// the reason when it cannot do what it is asked (see error_messages.hpp for
// the user's text of it).

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/fade.hpp"
#include "engine/pre_reader.hpp"
#include "engine/time_point.hpp"
#include "engine/timeline.hpp"
#include "song_listing.hpp"

namespace quorvane {

// Runs on each cut file once it is in place (an audio preview beside it,
// say); what it throws is that cut's failure.
using CutHook = std::function<void(const std::string& cutFile)>;

// A song measured and ready to cut.
struct SongInfo {
    std::string path;            // the file (UTF-8)
    ListedSong listed;           // its name as its folder lists it, which names the cut
    std::uint16_t format = 0;    // the header's format, as it is
    std::uint32_t division = 0;  // ticks per quarter note
    std::uint32_t tempo = 0;     // the first Set Tempo, microseconds per quarter note
    double tickMs = 0;           // milliseconds per tick at that tempo
    std::shared_ptr<const Timeline> timeline;
    std::int32_t cutSteps = 1;  // positions of the cut: 1 to cutSteps

    // Cut at a bar line and closed with All Sound Off (Format 1), rather
    // than at the exact time with a fade (Format 0).
    bool formatOne() const noexcept { return format == 1; }
    // Why no cutter takes the song (Format 2 and up), in the log's words;
    // empty when it can be cut.
    std::string refusal() const;
};

// Reads FILE's header and measures its timeline, naming it as its folder
// lists it.
SongInfo inspectSong(const std::string& file);
// The same for a song listed already. Once `*stop` is set, the reading may
// end early with FileError(ReadStopped).
SongInfo measureSong(const std::string& path, const ListedSong& listed, const std::atomic<bool>* stop = nullptr);

// What a cut wrote.
struct CutOutcome {
    ListedSong song;       // the song cut
    std::string cutFile;   // the file written
    std::string clipTime;  // the clip's length as mm:ss
    // What was cut: the song's format and timeline, and where the clip ends.
    std::uint16_t format = 0;
    std::shared_ptr<const Timeline> timeline;
    std::uint64_t cutTick = 0;  // kWholeSong: the whole song
};

// Where a cut at position `step` ends SONG's clip (steps outside 0 to
// song.cutSteps count as the nearer end; 0 is no clip).
std::uint64_t cutTickAt(const SongInfo& song, std::int32_t step);

// Cuts SONG at position `step` (1 to song.cutSteps) into DEST (empty: beside
// the song), then runs `afterCut`. Refused while a CUT ALL writes into DEST.
CutOutcome cutAtPosition(const SongInfo& song, std::int32_t step, const std::string& dest,
                         const CutHook& afterCut = {});

// Cuts FILE to a clip of `seconds`, as a CUT ALL cuts it, into DEST (empty:
// beside it), then runs `afterCut`; without a log.
CutOutcome cutToClip(const std::string& file, double seconds, const std::string& dest, const CutHook& afterCut = {});

// How far a CUT ALL has come, for a progress display.
struct BatchProgress {
    int position = 0;  // 1-based list position of the file being cut
    int count = 0;
    std::string fileName;
    std::string cutFilePath;   // set once the file has been cut
    std::string failure;       // set when the file could not be read or cut
    std::exception_ptr error;  // and what went wrong, for its kind and place
    bool done = false;         // the file has been tried: cut, or given up on
    // Once the file is measured: what is cut of it.
    SongHeader header;
    std::shared_ptr<const Timeline> timeline;
    std::uint64_t cutTick = 0;
    std::string clipTime;         // the clip's length as mm:ss
    std::uint64_t startTick = 0;  // where the clip starts (see BatchClip)
};

// A file that a CUT ALL could not cut, and why (the log's wording).
struct BatchFailure {
    std::string fileName;
    std::string reason;  // e.g. "CANNOT READ MIDI FILE: the file ends early (at byte 100)"
};

// What a batch is told to do: the folder's songs (as listSongs gives them),
// cut to clips of `seconds` into `dest` (empty: the folder).
struct BatchPlan {
    std::string folder;
    std::vector<ListedSong> songs;
    double seconds = 0;
    std::string dest;
    CutHook afterCut;

    // The folder the cuts go into.
    std::string destination() const { return dest.empty() ? folder : dest; }
    // The log's file: Quorvane.log in the song folder, wherever the cuts go.
    std::string logPath() const;
};

// What a CUT ALL made of one file.
struct BatchFileOutcome {
    std::string line;          // its log line, without the line end; empty when it could not be prepared
    std::string failure;       // why it could not be prepared or cut, in the log's words
    std::exception_ptr error;  // what went wrong
    std::string cutFilePath;   // the file written
    std::string clipTime;      // the clip's length as mm:ss, once prepared
    SongHeader header;         // once prepared: the song's header, timeline and cut
    std::shared_ptr<const Timeline> timeline;
    std::uint64_t cutTick = 0;
    std::string previewFailure;    // the cut is written, what follows it (afterCut) failed: why
    std::string destinationFault;  // the cut's folder takes no file at all (read-only, full): the system's words
    std::uint64_t startTick = 0;   // where the clip starts (see BatchClip)
};

// Where a batch's clips start and how they end, beyond the plan's length
// (`cut-all --from T --fade-out S`). By default each clip starts with its
// song and ends by the cut rules.
struct BatchClip {
    // Each clip starts here, the song's state carried to it as `clip` does,
    // and lasts the plan's seconds (Format 1: to the first bar line whose
    // time is at least its end); a song without that point is not cut.
    std::optional<TimePoint> from;
    // A fade of this length ends each clip (Format 0: in place of the fade
    // over its last tenth); see CutRequest.
    std::optional<double> fadeOutSeconds;
    FadeCurve fadeCurve = FadeCurve::Linear;
};

// Song `index` of the plan measured, its clip searched and cut. Never
// throws: what went wrong is in the outcome. Safe on several threads at once
// for the files of one plan (their cuts never share a name).
BatchFileOutcome cutBatchFile(const BatchPlan& plan, int index, const BatchClip& clip = {});

// How a batch is asked to stop.
enum class BatchStop {
    None,
    AfterFile,  // once the file in hand is cut and logged, with a line saying so
    Now,        // at once: the file in hand is not logged (with one job, not cut either), nor is the stop
};

// What a batch tells as it goes, as a build tool's status line: a file
// started, a file's outcome, and whether to stop.
class BatchObserver {
public:
    virtual ~BatchObserver() = default;
    virtual void fileStarted(const BatchProgress& progress) = 0;
    virtual void fileFinished(const BatchProgress& progress) = 0;
    // Asked once a file is started (before its cut, with one job) and
    // once it is logged.
    virtual BatchStop stopRequested() { return BatchStop::None; }
};

// How a batch ended.
struct BatchReport {
    int count = 0;                              // files listed
    int logged = 0;                             // files with their line in the log
    std::vector<BatchFailure> failures;         // not cut
    std::vector<BatchFailure> previewFailures;  // cut, but afterCut failed
    bool complete = false;                      // every file was tried
    std::string stopReason;        // the destination refused every file: "after N of M files: cannot write into ..."
    std::string destinationFault;  // why it did, in the system's words
    std::string stoppedAfter;      // a stop was asked for: "N of M files"

    // Files cut and logged.
    int cut() const { return logged - static_cast<int>(failures.size()); }
    // What the user is told when the batch did not do all it was asked;
    // empty when it did.
    std::string message() const;
};

// CUT ALL: cuts every song of the plan, `jobs` at once (the log, the files
// and the reports are the same for any number), writing the folder's log
// (Quorvane.log) with one line per file in list order. Holds the log and the
// destination for its whole run; throws FileError before anything is
// written when another batch holds either.
BatchReport cutFolder(const BatchPlan& plan, int jobs, BatchObserver& observer, const BatchClip& clip = {});

// The number of jobs "as many as the machine has cores" gives.
int coreCount();

// The summary of a batch that could not do all it was asked: the files it
// could not cut, then those cut without what follows the cut (a preview);
// 20 named at most, the rest counted.
std::string batchSummary(int cut, int count, const std::vector<BatchFailure>& failures,
                         const std::vector<BatchFailure>& previews);

}  // namespace quorvane
