#include "commands.hpp"

#include <atomic>
#include <cmath>
#include <filesystem>
#include <iomanip>
#include <ostream>
#include <sstream>
#include <thread>
#include <vector>

#include "core/clock_text.hpp"
#include "core/cut_service.hpp"
#include "core/error_messages.hpp"
#include "core/song_listing.hpp"
#include "engine/music_time.hpp"
#include "engine/time_point.hpp"
#include "engine/timeline.hpp"
#include "json_lines.hpp"
#include "platform/files.hpp"
#include "platform/text.hpp"
#include "progress_line.hpp"

namespace quorvane::cli {

namespace {

// Says on `err` what stopped a command, and gives its exit status.
int failed(std::ostream& err, const std::exception_ptr& error, const std::string& file = {}) {
    err << terminalText(describeError(error, file)) << '\n';
    return kExitFileError;
}

// The same, and with --json its object on `out`.
int failed(std::ostream& out, std::ostream& err, bool json, const std::exception_ptr& error, const std::string& file) {
    if (json) out << failureObject(file, error).line();
    return failed(err, error, file);
}

// A song's object: its file, name, format, division and length; the clip of
// it from `start` to `end` (ticks) and where that went, when there is one.
JsonObject songObject(const std::string& path, std::uint16_t format, std::uint32_t division, const Timeline& timeline) {
    JsonObject song;
    song.text("file", path)
        .text("name", utf8FromPath(pathFromUtf8(path).filename()))
        .number("format", std::int64_t{format})
        .number("division", std::int64_t{division})
        .seconds("length", timeline.length());
    return song;
}

JsonObject& addClip(JsonObject& song, const Timeline& timeline, std::uint64_t start, std::uint64_t end,
                    const std::string& output) {
    const auto point = [&](std::uint64_t tick) {
        JsonObject at;
        at.seconds("seconds", tick >= timeline.endTick() ? timeline.length() : timeline.seconds(tick))
            .number("tick", std::min(tick, timeline.endTick()));
        return at;
    };
    song.object("start", point(start)).object("end", point(end));
    if (!output.empty()) song.text("output", output);
    return song;
}

// Prints a batch's progress on `err`: a line for each file tried, or, with
// `barColumns` above 0, one line redrawn in place that failures interrupt.
class ProgressReport : public BatchObserver {
public:
    // With `json`, each file's object goes there once it is done.
    ProgressReport(std::ostream& err, int barColumns, std::ostream* json, const BatchPlan& plan)
        : err_(err), barColumns_(barColumns), json_(json), plan_(plan) {}

    void fileStarted(const BatchProgress& progress) override { show(progress); }
    void fileFinished(const BatchProgress& progress) override {
        show(progress);
        if (json_ != nullptr) printJson(progress);
    }

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

    void printJson(const BatchProgress& progress) {
        const ListedSong& song = plan_.songs.at(static_cast<std::size_t>(progress.position - 1));
        const std::string path = plan_.folder + pathSeparator() + song.diskName;
        if (!progress.failure.empty() || !progress.timeline) {
            *json_ << failureObject(path, progress.error).line();
            return;
        }
        JsonObject object = songObject(path, progress.header.format, progress.header.division, *progress.timeline);
        *json_
            << addClip(object, *progress.timeline, progress.startTick, progress.cutTick, progress.cutFilePath).line();
    }

    std::ostream& err_;
    int barColumns_;
    bool barShown_ = false;  // the terminal's line holds the bar
    std::ostream* json_;
    const BatchPlan& plan_;
};

}  // namespace

std::optional<double> parseClipLength(std::string_view text) {
    const std::optional<double> seconds = parseSeconds(text);
    if (!seconds || !(*seconds > 0)) return std::nullopt;
    return seconds;
}

int runInfo(const std::string& file, std::ostream& out, std::ostream& err, bool json) {
    SongInfo song;
    try {
        song = inspectSong(file);
    } catch (...) {
        return failed(out, err, json, std::current_exception(), file);
    }
    const Timeline& timeline = *song.timeline;
    if (json) {
        JsonObject object = songObject(file, song.format, song.division, timeline);
        out << addClip(object, timeline, 0, timeline.endTick(), {}).line();
        return kExitOk;
    }
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

namespace {
// A cut's path, or with --json its object.
void printCut(std::ostream& out, const CutOutcome& cut, const std::string& file, bool json) {
    if (!json) {
        out << cut.cutFile << '\n';
        return;
    }
    const Timeline& timeline = *cut.timeline;
    JsonObject object = songObject(file, cut.format, timeline.division(), timeline);
    out << addClip(object, timeline, 0, cut.cutTick, cut.cutFile).line();
}
}  // namespace

int runCutAtPosition(const std::string& file, int position, const std::optional<std::string>& dest, std::ostream& out,
                     std::ostream& err, const CutHook& afterCut, bool json) {
    SongInfo song;
    try {
        song = inspectSong(file);
    } catch (...) {
        return failed(out, err, json, std::current_exception(), file);
    }
    if (!song.refusal().empty()) {
        return failed(out, err, json, std::make_exception_ptr(unsupportedFormat(song.path, song.format)), song.path);
    }
    if (position < 1 || position > song.cutSteps) {
        err << "--position: " << position << " is outside the cut slider's range for this song, 1 to " << song.cutSteps
            << '\n';
        return kExitUsage;
    }
    try {
        printCut(out, cutAtPosition(song, position, dest.value_or(""), afterCut), song.path, json);
    } catch (...) {
        return failed(out, err, json, std::current_exception(), song.path);
    }
    return kExitOk;
}

int runCutToSeconds(const std::string& file, double seconds, const std::optional<std::string>& dest, std::ostream& out,
                    std::ostream& err, const CutHook& afterCut, bool json) {
    CutOutcome cut;
    try {
        cut = cutToClip(file, seconds, dest.value_or(""), afterCut);
    } catch (...) {
        return failed(out, err, json, std::current_exception(), file);
    }
    err << terminalText(cut.song.diskName) << ": cut at " << cut.clipTime << '\n';
    printCut(out, cut, file, json);
    return kExitOk;
}

namespace {
// A clip's object for --json.
JsonObject clipObject(const std::string& file, const ClipOutcome& clip) {
    JsonObject object;
    object.text("file", file)
        .text("name", clip.song.diskName)
        .number("format", std::int64_t{clip.format})
        .number("division", std::int64_t{clip.division})
        .seconds("length", clip.songSeconds);
    const auto point = [](double seconds, std::uint64_t tick) {
        JsonObject at;
        at.seconds("seconds", seconds).number("tick", tick);
        return at;
    };
    object.object("start", point(clip.startSeconds, clip.startTick))
        .object("end", point(clip.endSeconds, clip.endTick))
        .text("output", clip.clipFile);
    return object;
}

}  // namespace

int runClip(const std::string& file, const ClipPlan& plan, std::ostream& out, std::ostream& err,
            const CutHook& afterCut, bool json) {
    ClipOutcome clip;
    try {
        clip = clipSong(file, plan, afterCut);
    } catch (...) {
        return failed(out, err, json, std::current_exception(), file);
    }
    err << terminalText(clip.song.diskName) << ": clip from " << minutesSeconds(wholeSeconds(clip.startSeconds))
        << " to " << minutesSeconds(wholeSeconds(clip.endSeconds)) << '\n';
    if (json) {
        out << clipObject(file, clip).line();
    } else {
        out << clip.clipFile << '\n';
    }
    return kExitOk;
}

namespace {
// One song of a split, its output and messages in `out` and `err`.
int splitOne(const std::string& file, const SplitPlan& plan, std::ostream& out, std::ostream& err,
             const CutHook& afterCut, bool json) {
    try {
        const std::vector<ClipOutcome> pieces = splitSong(
            file, plan,
            [&](const ClipOutcome& piece) { out << (json ? clipObject(file, piece).line() : piece.clipFile + "\n"); },
            afterCut);
        if (!pieces.empty()) err << terminalText(pieces.front().song.diskName) << ": " << pieces.size() << " pieces\n";
    } catch (...) {
        return failed(out, err, json, std::current_exception(), file);
    }
    return kExitOk;
}
}  // namespace

int runSplit(const std::string& target, const SplitPlan& plan, std::ostream& out, std::ostream& err,
             const CutHook& afterCut, int jobs, bool json) {
    std::vector<std::string> files;
    std::error_code error;
    if (std::filesystem::is_directory(pathFromUtf8(target), error)) {
        try {
            for (const ListedSong& song : listSongs(target)) files.push_back(target + pathSeparator() + song.diskName);
        } catch (...) {
            return failed(out, err, json, std::current_exception(), target);
        }
    } else {
        files.push_back(target);
    }
    struct Result {
        int status = kExitOk;
        std::string out, err;
    };
    std::vector<Result> results(files.size());
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        for (std::size_t k; (k = next++) < files.size();) {
            std::ostringstream pieceOut, pieceErr;
            results[k].status = splitOne(files[k], plan, pieceOut, pieceErr, afterCut, json);
            results[k].out = pieceOut.str();
            results[k].err = pieceErr.str();
        }
    };
    const std::size_t workers = std::min<std::size_t>(files.size(), jobs > 0 ? jobs : coreCount());
    std::vector<std::thread> threads;
    for (std::size_t k = 1; k < workers; ++k) threads.emplace_back(work);
    work();
    for (std::thread& thread : threads) thread.join();
    int status = kExitOk;
    for (const Result& result : results) {
        out << result.out;
        err << result.err;
        status = std::max(status, result.status);
    }
    return status;
}

int runCutAll(const std::string& folder, double seconds, const std::optional<std::string>& dest, std::ostream& out,
              std::ostream& err, int barColumns, const CutHook& afterCut, int jobs, bool json, const BatchClip& clip) {
    BatchPlan plan{folder, {}, seconds, dest.value_or(""), afterCut};
    try {
        plan.songs = listSongs(folder);
    } catch (...) {
        return failed(out, err, json, std::current_exception(), folder);
    }
    if (plan.songs.empty()) {
        err << "no MIDI files in " << terminalText(folder) << '\n';
        return kExitOk;
    }
    ProgressReport progress(err, barColumns, json ? &out : nullptr, plan);
    BatchReport report;
    try {
        report = cutFolder(plan, jobs > 0 ? jobs : coreCount(), progress, clip);
    } catch (...) {
        progress.endBar();
        return failed(out, err, json, std::current_exception(), folder);
    }
    progress.endBar();
    // Every file the batch could try is tried; the summary of those it could
    // not cut goes to stderr, and the log names each.
    const std::string message = report.message();
    if (!message.empty()) err << terminalText(message) << '\n';
    if (report.complete && !json) out << plan.logPath() << '\n';
    return message.empty() ? kExitOk : kExitFileError;
}

}  // namespace quorvane::cli
