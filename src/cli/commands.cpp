#include "commands.hpp"

#include <cmath>
#include <iomanip>
#include <ostream>
#include <sstream>

#include "core/clock_text.hpp"
#include "core/cut_service.hpp"
#include "core/error_messages.hpp"
#include "engine/music_time.hpp"
#include "engine/time_point.hpp"
#include "progress_line.hpp"

namespace quorvane::cli {

namespace {

// Says on `err` what stopped a command, and gives its exit status.
int failed(std::ostream& err, const std::exception_ptr& error, const std::string& file = {}) {
    err << terminalText(describeError(error, file)) << '\n';
    return kExitFileError;
}

// Prints a batch's progress on `err`: a line for each file tried, or, with
// `barColumns` above 0, one line redrawn in place that failures interrupt.
class ProgressReport : public BatchObserver {
public:
    ProgressReport(std::ostream& err, int barColumns) : err_(err), barColumns_(barColumns) {}

    void fileStarted(const BatchProgress& progress) override { show(progress); }
    void fileFinished(const BatchProgress& progress) override { show(progress); }

    // Ends the line the bar is on, before anything else is printed.
    void endBar() {
        if (barShown_) err_ << '\n';
        barShown_ = false;
    }

private:
    void show(const BatchProgress& progress) {
        if (barColumns_ > 0 && (progress.failure.empty() || !progress.done)) {
            const int done = progress.done ? progress.position : progress.position - 1;
            err_ << '\r' << progressLine(done, progress.position, progress.count, progress.fileName, barColumns_)
                 << "\x1b[K" << std::flush;  // the rest of the old line cleared
            barShown_ = true;
            return;
        }
        if (!progress.done) return;
        // A failure's line takes the bar's place; the bar follows.
        if (barShown_) err_ << "\r\x1b[K";
        barShown_ = false;
        std::ostringstream line;
        line << '[' << progress.position << '/' << progress.count << "] " << terminalText(progress.fileName);
        if (progress.failure.empty()) {
            line << " -> " << terminalText(progress.cutFilePath) << '\n';
        } else {
            line << ": " << terminalText(progress.failure) << '\n';
        }
        err_ << line.str();  // one write: lines of runs side by side stay whole
    }

    std::ostream& err_;
    int barColumns_;
    bool barShown_ = false;  // the terminal's line holds the bar
};

}  // namespace

std::optional<double> parseClipLength(std::string_view text) {
    const std::optional<double> seconds = parseSeconds(text);
    if (!seconds || !(*seconds > 0)) return std::nullopt;
    return seconds;
}

int runInfo(const std::string& file, std::ostream& out, std::ostream& err) {
    SongInfo song;
    try {
        song = inspectSong(file);
    } catch (...) {
        return failed(err, std::current_exception());
    }
    const Timeline& timeline = *song.timeline;
    out << "file:      " << song.path << '\n'
        << "format:    " << song.format
        << (song.format == 1   ? " (cut at a bar line)"
            : song.format == 0 ? " (cut at the exact time)"
                               : " (cannot be cut: only formats 0 and 1 can)")
        << '\n'
        << "division:  " << song.division << " ticks per quarter note\n"
        << "tempo:     " << song.tempo << " microseconds per quarter note\n"
        << "tick:      " << std::setprecision(17) << song.tickMs << " ms\n"
        << "length:    " << timeline.musicLength() << " music ticks (" << kMusicTicksPerQuarter
        << " per quarter note), " << minutesSeconds(wholeSeconds(timeline.length())) << '\n'
        << "start:     " << 60000000.0 / timeline.tempoAt(0) << " quarter notes per minute\n"
        << "positions: 1 to " << song.cutSteps << '\n';
    return kExitOk;
}

int runCutAtPosition(const std::string& file, int position, const std::optional<std::string>& dest, std::ostream& out,
                     std::ostream& err, const CutHook& afterCut) {
    SongInfo song;
    try {
        song = inspectSong(file);
    } catch (...) {
        return failed(err, std::current_exception());
    }
    if (!song.refusal().empty()) {
        err << describeError(std::make_exception_ptr(unsupportedFormat(song.path, song.format)), {}) << '\n';
        return kExitFileError;
    }
    if (position < 1 || position > song.cutSteps) {
        err << "--position: " << position << " is outside the cut slider's range for this song, 1 to " << song.cutSteps
            << '\n';
        return kExitUsage;
    }
    try {
        out << cutAtPosition(song, position, dest.value_or(""), afterCut).cutFile << '\n';
    } catch (...) {
        return failed(err, std::current_exception(), song.path);
    }
    return kExitOk;
}

int runCutToSeconds(const std::string& file, double seconds, const std::optional<std::string>& dest, std::ostream& out,
                    std::ostream& err, const CutHook& afterCut) {
    CutOutcome cut;
    try {
        cut = cutToClip(file, seconds, dest.value_or(""), afterCut);
    } catch (...) {
        return failed(err, std::current_exception());
    }
    err << terminalText(cut.song.diskName) << ": cut at " << cut.clipTime << '\n';
    out << cut.cutFile << '\n';
    return kExitOk;
}

int runClip(const std::string& file, const ClipPlan& plan, std::ostream& out, std::ostream& err,
            const CutHook& afterCut) {
    ClipOutcome clip;
    try {
        clip = clipSong(file, plan, afterCut);
    } catch (...) {
        return failed(err, std::current_exception(), file);
    }
    err << terminalText(clip.song.diskName) << ": clip from " << minutesSeconds(wholeSeconds(clip.startSeconds))
        << " to " << minutesSeconds(wholeSeconds(clip.endSeconds)) << '\n';
    out << clip.clipFile << '\n';
    return kExitOk;
}

int runCutAll(const std::string& folder, double seconds, const std::optional<std::string>& dest, std::ostream& out,
              std::ostream& err, int barColumns, const CutHook& afterCut, int jobs) {
    BatchPlan plan{folder, {}, seconds, dest.value_or(""), afterCut};
    try {
        plan.songs = listSongs(folder);
    } catch (...) {
        return failed(err, std::current_exception());
    }
    if (plan.songs.empty()) {
        err << "no MIDI files in " << terminalText(folder) << '\n';
        return kExitOk;
    }
    ProgressReport progress(err, barColumns);
    BatchReport report;
    try {
        report = cutFolder(plan, jobs > 0 ? jobs : coreCount(), progress);
    } catch (...) {
        progress.endBar();
        return failed(err, std::current_exception());
    }
    progress.endBar();
    // Every file the batch could try is tried; the summary of those it could
    // not cut goes to stderr, and the log names each.
    const std::string message = report.message();
    if (!message.empty()) err << terminalText(message) << '\n';
    if (report.complete) out << plan.logPath() << '\n';
    return message.empty() ? kExitOk : kExitFileError;
}

}  // namespace quorvane::cli
