// CUT ONE, CUT ALL and the batch log.

#include <algorithm>
#include <filesystem>
#include <optional>

#include "batch_jobs.hpp"
#include "batch_log.hpp"
#include "engine/cut_name.hpp"
#include "engine/cut_points.hpp"
#include "engine/cutters.hpp"
#include "engine/errors.hpp"
#include "engine/music_time.hpp"
#include "engine/output_file.hpp"
#include "engine/platform_files.hpp"
#include "engine/text.hpp"
#include "error_text.hpp"
#include "form1.hpp"
#include "time_display.hpp"

namespace quorvane {

namespace {

// Sets a flag for as long as it lives.
class Running {
public:
    explicit Running(bool& flag) : flag_(flag) { flag_ = true; }
    ~Running() { flag_ = false; }

private:
    bool& flag_;
};

// Keeps a slider from taking the user's input for as long as it lives.
class Frozen {
public:
    explicit Frozen(TarnSlider& slider) : slider_(slider), was_(slider.Enabled()) { slider_.SetEnabled(false); }
    ~Frozen() { slider_.SetEnabled(was_); }

private:
    TarnSlider& slider_;
    bool was_;
};

// The first step of the cut slider whose tick is at or past `tick`, at most `max`.
std::int32_t stepAtOrAfter(std::uint64_t tick, std::uint32_t division, std::int32_t max) {
    // floor(1000 k division / 768) >= tick exactly when 1000 k division >= 768 tick.
    const std::uint64_t perStep = static_cast<std::uint64_t>(kMusicTicksPerStep) * division;
    const std::uint64_t step = (tick * kMusicTicksPerQuarter + perStep - 1) / perStep;
    return static_cast<std::int32_t>(std::clamp<std::uint64_t>(step, 1, static_cast<std::uint64_t>(max)));
}

std::string fileNameOf(const std::string& path) { return utf8FromPath(pathFromUtf8(path).filename()); }

// The summary of a batch that could not cut every file.
std::string batchSummary(int cut, int count, const std::vector<BatchFailure>& failures) {
    constexpr std::size_t kListed = 20;
    std::string text = "Cut " + std::to_string(cut) + " of " + std::to_string(count) + " files. Not cut:";
    for (std::size_t k = 0; k < failures.size() && k < kListed; ++k) {
        text += "\n" + failures[k].fileName + ": " + failures[k].reason;
    }
    if (failures.size() > kListed) {
        text += "\n... and " + std::to_string(failures.size() - kListed) + " more (see the log)";
    }
    return text;
}

}  // namespace

void Form1::CutOne() {
    const std::int32_t value = Segmento.Value();
    if (state.FilePath.empty()) {
        LabStatus = "Nothing cut: choose a song in the list first.";
        return;
    }
    if (measuring()) {
        // Until the song is measured, the window shows neither its fields
        // nor those of the song before it.
        LabStatus = measuringStatus_ = "Nothing cut: the song is still being measured.";
        return;
    }
    if (const std::string refusal = formatRefusal(); !refusal.empty()) {
        LabStatus = refusal;
        return;
    }
    if (value <= 0) {
        LabStatus = "Nothing cut: move CUT POINT past the start.";
        return;
    }
    // The cut is made where the thumb stands, whatever happened before.
    LabStatus.clear();
    state.CutTick = cutTickAt(value);
    cutCurrentFile();
    LabStatus = "Written: " + fileNameOf(state.CutFilePath);
}

std::string Form1::logPath() const { return TextPath + pathSeparator() + "Quorvane.log"; }

std::string Form1::prepareBatchFile(int index) {
    const ListItem item = ListMIDI.at(static_cast<std::size_t>(index));
    const double clip = clipLengthSeconds();
    makeCurrent(item);
    if (state.Format > 1) {
        // Refused as the window refuses it when chosen, before it is measured.
        const FileError refusal = unsupportedFormat(state.FilePath, state.Format);
        forgetCurrentFile();
        throw refusal;
    }
    measure();
    const std::string length = minutesSeconds(wholeSeconds(timeline_->length()));
    // The clip ends where the timeline says; the thumb shows the first
    // step at or past that end.
    const std::uint64_t cut = cutTickForClip(*timeline_, state.IsFormatOne, clip);
    Segmento.SetValue(0);
    fitCutSlider();
    Segmento.SetValue(cut == kWholeSong ? Segmento.Max() : stepAtOrAfter(cut, timeline_->division(), Segmento.Max()));
    state.CutTick = cut;
    LabDurataTempo = minutesSeconds(wholeSeconds(clipSeconds(*timeline_, cut)));
    const std::string name = withoutControlCharacters(state.FileName);
    return std::to_string(index + 1) + ". " + name + ": " + length + "\t" + withoutExtension(name) +
           "-cut.mid:" + LabDurataTempo + " - Format: " + state.FormatText + "\r\n";
}

void Form1::cutOneOfBatch(int index) {
    const SongRelease release{song_};
    prepareBatchFile(index);
    cutCurrentFile();
}

void Form1::CutAll() {
    if (ListMIDI.empty()) {
        LabStatus = "Nothing cut: the list has no songs.";
        return;
    }
    if (!(clipLengthSeconds() > 0)) {
        LabStatus = "Nothing cut: set CLIP LENGTH above 0 seconds.";
        return;
    }
    LabStatus.clear();
    // The batch makes each file current itself; a song half chosen is not.
    if (measuring()) forgetCurrentFile();
    failures_.clear();
    BatchLog log(logPath());
    removeLeftoverTemporaries(state.TextDest.empty() ? TextPath : state.TextDest);
    const Running running(batchRunning_);
    stopRequested_ = false;
    // The clip length and the cut point belong to the batch until it ends.
    const Frozen frozenSegmento(Segmento), frozenChoose(Choose);
    const int count = static_cast<int>(ListMIDI.size());
    BatchAhead ahead(*this, batchJobs);  // with several jobs, the files are cut there
    for (int index = 0; index < count; ++index) {
        const SongRelease release{song_};
        const std::string number = std::to_string(index + 1) + ". ";
        std::string line, failure;
        std::optional<BatchFileOutcome> done;
        if (ahead.active()) {
            done = ahead.take(index);
            line = done->line;
            if (line.empty()) failure = done->failure;
        } else {
            try {
                line = prepareBatchFile(index);
            } catch (...) {
                failure = describeFileFailure(std::current_exception());
            }
        }
        const std::string name = ListMIDI[static_cast<std::size_t>(index)].text;
        LabStatus = std::to_string(index + 1) + " of " + std::to_string(count);
        BatchProgress progress{index + 1, count, name, {}, failure};
        if (onBatchProgress) onBatchProgress(progress);

        // Clicks are handled here; whatever a slider move changes, the file
        // about to be logged is the one cut, at the position logged.
        const AppState logged = state;
        services_.events.processPendingEvents();
        state = logged;
        // A batch stopped here has not tried this file: the log does not name it.
        if (exitRequested_) return;

        LabNum = std::to_string(index + 1);
        if (failure.empty()) {
            // The line goes first, so that a batch that dies in the cut says
            // which file it was cutting.
            log.write(line);
            if (done) {
                failure = done->failure;
                progress.cutFilePath = done->cutFilePath;
            } else {
                try {
                    cutCurrentFile();
                    progress.cutFilePath = state.CutFilePath;
                } catch (...) {
                    failure = describeFileFailure(std::current_exception());
                }
            }
        }
        if (!failure.empty()) {
            log.write(number + withoutControlCharacters(name) + ": " + failure + "\r\n");
            failures_.push_back({name, failure});
            progress.failure = failure;
        }
        progress.done = true;
        if (onBatchProgress) onBatchProgress(progress);
        // A stop asked for during this file takes effect now that it is done;
        // at the last file there is nothing left to stop.
        if (stopRequested_ && index + 1 < count) {
            const std::string done = std::to_string(index + 1) + " of " + std::to_string(count) + " files";
            log.write("stopped after " + done + "\r\n");
            LabStatus = "Stopped after " + done + "; log in Quorvane.log.";
            if (!failures_.empty()) {
                const int tried = index + 1;
                services_.messages.showMessage(
                    batchSummary(tried - static_cast<int>(failures_.size()), tried, failures_));
            }
            return;
        }
        if (batchPauseMs > 0) services_.pause.sleepMilliseconds(batchPauseMs);
    }
    LabNum = "Done!";
    const int cut = count - static_cast<int>(failures_.size());
    LabStatus = "Cut " + std::to_string(cut) + " of " + std::to_string(count) + " files; log in Quorvane.log.";
    if (!failures_.empty()) services_.messages.showMessage(batchSummary(cut, count, failures_));
}

}  // namespace quorvane
