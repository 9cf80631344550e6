#include "commands.hpp"

#include <charconv>
#include <cmath>
#include <iomanip>
#include <ostream>
#include <sstream>

#include "engine/music_time.hpp"
#include "headless_window.hpp"
#include "progress_line.hpp"
#include "workflow/batch_jobs.hpp"
#include "workflow/error_text.hpp"
#include "workflow/time_display.hpp"

namespace quorvane::cli {

namespace {

// Puts FILE alone in the list as SOURCE would (its folder, its name in upper
// case), sets the destination, and selects it.
bool selectAlone(HeadlessWindow& window, const std::string& file, const std::optional<std::string>& dest) {
    window.form.chooseFile(file, dest.value_or(""));
    window.form.ListMIDI_Click(0);
    return window.errorCount() == 0;
}

// A decimal number without sign or exponent: digits, at most one point.
std::optional<double> plainNumber(std::string_view text) {
    if (text.empty() || text.front() == '.' || text.back() == '.') return std::nullopt;
    if (text.find_first_not_of("0123456789.") != std::string_view::npos) return std::nullopt;
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

}  // namespace

std::optional<double> parseClipLength(std::string_view text) {
    std::optional<double> seconds;
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) {
        seconds = plainNumber(text);
    } else {
        const std::string_view minutes = text.substr(0, colon);
        const std::optional<double> rest = plainNumber(text.substr(colon + 1));
        if (minutes.find_first_not_of("0123456789") != std::string_view::npos || !rest || *rest >= 60) return std::nullopt;
        const std::optional<double> whole = plainNumber(minutes);
        if (!whole) return std::nullopt;
        seconds = *whole * 60 + *rest;
    }
    if (!seconds || !(*seconds > 0) || !std::isfinite(*seconds)) return std::nullopt;
    return seconds;
}

int runInfo(const std::string& file, std::ostream& out, std::ostream& err) {
    // The same selection the window makes: pre-read, then measured.
    HeadlessWindow window(err);
    if (!selectAlone(window, file, std::nullopt)) return kExitFileError;
    const AppState& state = window.form.appState();
    const Timeline& timeline = *window.form.timeline();
    out << "file:      " << state.FilePath << '\n'
        << "format:    " << state.Format
        << (state.Format == 1   ? " (cut at a bar line)"
            : state.Format == 0 ? " (cut at the exact time)"
                                : " (cannot be cut: only formats 0 and 1 can)")
        << '\n'
        << "division:  " << state.Division.quarters << " ticks per quarter note\n"
        << "tempo:     " << state.Tempo << " microseconds per quarter note\n"
        << "tick:      " << std::setprecision(17) << state.TickMs << " ms\n"
        << "length:    " << timeline.musicLength() << " music ticks (" << kMusicTicksPerQuarter
        << " per quarter note), " << minutesSeconds(wholeSeconds(timeline.length())) << '\n'
        << "start:     " << 60000000.0 / timeline.tempoAt(0) << " quarter notes per minute\n"
        << "positions: 1 to " << window.segmento.Max() << '\n';
    return kExitOk;
}

int runCutAtPosition(const std::string& file, int position, const std::optional<std::string>& dest, std::ostream& out,
                     std::ostream& err, const CutHook& afterCut) {
    HeadlessWindow window(err);
    window.form.onCutWritten = afterCut;
    if (!selectAlone(window, file, dest)) return kExitFileError;
    // The window says it in its status line; here it is the command's failure.
    if (!window.form.formatRefusal().empty()) {
        const AppState& state = window.form.appState();
        err << describeError(std::make_exception_ptr(unsupportedFormat(state.FilePath, state.Format)), {}) << '\n';
        return kExitFileError;
    }
    const int max = window.segmento.Max();
    if (position < 1 || position > max) {
        err << "--position: " << position << " is outside the cut slider's range for this song, 1 to " << max << '\n';
        return kExitUsage;
    }
    window.segmento.SetValue(position);
    window.form.Image4_Click();
    if (window.errorCount() != 0) return kExitFileError;
    out << window.form.appState().CutFilePath << '\n';
    return kExitOk;
}

int runCutToSeconds(const std::string& file, double seconds, const std::optional<std::string>& dest, std::ostream& out,
                    std::ostream& err, const CutHook& afterCut) {
    HeadlessWindow window(err);
    window.form.onCutWritten = afterCut;
    window.form.clipLength = seconds;
    window.form.chooseFile(file, dest.value_or(""));
    if (window.errorCount() == 0) window.form.cutToClip(0);
    if (window.errorCount() != 0) return kExitFileError;
    err << terminalText(window.form.ListMIDI.front().diskName) << ": cut at " << window.form.LabDurataTempo << '\n';
    out << window.form.appState().CutFilePath << '\n';
    return kExitOk;
}

int runCutAll(const std::string& folder, double seconds, const std::optional<std::string>& dest, std::ostream& out,
              std::ostream& err, int barColumns, const CutHook& afterCut, int jobs) {
    HeadlessWindow window(err);
    window.form.onCutWritten = afterCut;
    window.form.batchJobs = jobs > 0 ? jobs : BatchAhead::coreCount();
    window.form.clipLength = seconds;
    window.chooseFolders(folder, dest.value_or(""));
    if (window.errorCount() != 0) return kExitFileError;
    bool barShown = false;  // the terminal's line holds the bar
    const auto endBar = [&] {
        if (barShown) err << '\n';
        barShown = false;
    };
    window.beforeMessage = endBar;
    window.form.onBatchProgress = [&](const BatchProgress& progress) {
        if (barColumns > 0 && (progress.failure.empty() || !progress.done)) {
            const int done = progress.done ? progress.position : progress.position - 1;
            err << '\r' << progressLine(done, progress.position, progress.count, progress.fileName, barColumns)
                << "\x1b[K" << std::flush;  // the rest of the old line cleared
            barShown = true;
            return;
        }
        if (!progress.done) return;
        // A failure's line takes the bar's place; the bar follows.
        if (barShown) err << "\r\x1b[K";
        barShown = false;
        std::ostringstream line;
        line << '[' << progress.position << '/' << progress.count << "] " << terminalText(progress.fileName);
        if (progress.failure.empty()) {
            line << " -> " << terminalText(progress.cutFilePath) << '\n';
        } else {
            line << ": " << terminalText(progress.failure) << '\n';
        }
        err << line.str();  // one write: lines of runs side by side stay whole
    };
    window.form.Image3_Click();
    endBar();
    if (window.form.ListMIDI.empty()) {
        err << "no MIDI files in " << terminalText(folder) << '\n';
        return kExitOk;
    }
    // Every file the batch could try is tried; the summary of those it could
    // not cut has gone to stderr, and the log names each.
    if (window.form.LabNum == "Done!") out << window.form.logPath() << '\n';
    return window.errorCount() != 0 ? kExitFileError : kExitOk;
}

}  // namespace quorvane::cli
