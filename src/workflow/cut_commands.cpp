// CUT ONE, CUT ALL and the batch log.

#include <algorithm>
#include <filesystem>
#include <optional>

#include "batch_jobs.hpp"
#include "batch_log.hpp"
#include "destination.hpp"
#include "engine/cut_name.hpp"
#include "engine/cut_points.hpp"
#include "engine/cutters.hpp"
#include "engine/errors.hpp"
#include "engine/music_time.hpp"
#include "platform/output_file.hpp"
#include "platform/files.hpp"
#include "platform/text.hpp"
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

// The folder the current song's cut goes to.
std::string cutFolder(const AppState& state) {
    return state.TextDest.empty() ? utf8FromPath(pathFromUtf8(state.FilePath).parent_path()) : state.TextDest;
}

// The summary of a batch that could not do all it was asked: the files it
// could not cut, then those cut without what follows the cut (a preview);
// 20 named at most, the rest counted.
std::string batchSummary(int cut, int count, const std::vector<BatchFailure>& failures,
                         const std::vector<BatchFailure>& previews) {
    constexpr std::size_t kListed = 20;
    std::string text = "Cut " + std::to_string(cut) + " of " + std::to_string(count) + " files.";
    std::size_t listed = 0;
    for (const auto& [heading, list] : {std::pair{"Not cut:", &failures}, std::pair{"Previews not written:", &previews}}) {
        if (list->empty() || listed == kListed) continue;
        text += listed == 0 ? ' ' : '\n';
        text += heading;
        for (std::size_t k = 0; k < list->size() && listed < kListed; ++k, ++listed) {
            text += '\n';
            text += withoutControlCharacters((*list)[k].fileName);
            text += ": " + (*list)[k].reason;
        }
    }
    const std::size_t all = failures.size() + previews.size();
    if (all > kListed) text += "\n... and " + std::to_string(all - kListed) + " more (see the log)";
    return text;
}

// Why the cut's folder takes no file at all, in the system's words; empty
// when the error is one file's own.
std::string destinationFaultOf(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const FileError& e) {
        if (refusesEveryFile(e)) return e.cause().message();
    } catch (...) {
    }
    return {};
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
    const DestinationLock claim = claimDestination(cutFolder(state), DestinationLock::Use::SingleCut);
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
    return std::to_string(index + 1) + ". " + name + ": " + length + "\t" +
           numberedName(withoutExtension(name), state.CutNumber) + "-cut.mid:" + LabDurataTempo +
           " - Format: " + state.FormatText;
}

void Form1::cutOneOfBatch(int index) {
    const SongRelease release{song_};
    prepareBatchFile(index);
    const DestinationLock claim = claimDestination(cutFolder(state), DestinationLock::Use::SingleCut);
    cutCurrentFile();
}

void Form1::cutBatchFile(BatchFileOutcome& outcome) {
    try {
        writeCut();
    } catch (...) {
        outcome.failure = describeFileFailure(std::current_exception());
        outcome.destinationFault = destinationFaultOf(std::current_exception());
        return;
    }
    outcome.cutFilePath = state.CutFilePath;
    if (!onCutWritten) return;
    try {
        onCutWritten(state.CutFilePath);
    } catch (...) {
        outcome.previewFailure = describeReason(std::current_exception());
    }
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
    previewFailures_.clear();
    const std::string destination = state.TextDest.empty() ? TextPath : state.TextDest;
    const DestinationLock claim = claimDestination(destination, DestinationLock::Use::Batch);
    BatchLog log(logPath());
    const Running running(batchRunning_);
    stopRequested_ = false;
    // The clip length and the cut point belong to the batch until it ends.
    const Frozen frozenSegmento(Segmento), frozenChoose(Choose);
    const int count = static_cast<int>(ListMIDI.size());
    int logged = 0;  // files with their line in the log
    const auto progressOf = [&](int index, const BatchFileOutcome& outcome) {
        return BatchProgress{index + 1, count, ListMIDI[static_cast<std::size_t>(index)].text, {}, outcome.failure};
    };
    // A file's one line, once its outcome is known: its cut, or why it was not cut.
    const auto logFile = [&](int index, const BatchFileOutcome& outcome, BatchProgress& progress) {
        const std::string& name = progress.fileName;
        LabNum = std::to_string(index + 1);
        ++logged;
        if (!outcome.failure.empty()) {
            log.write(std::to_string(index + 1) + ". " + withoutControlCharacters(name) + ": " + outcome.failure +
                      "\r\n");
            failures_.push_back({name, outcome.failure});
        } else if (!outcome.previewFailure.empty()) {
            log.write(outcome.line + "; PREVIEW NOT WRITTEN: " + withoutControlCharacters(outcome.previewFailure) +
                      "\r\n");
            previewFailures_.push_back({name, outcome.previewFailure});
        } else {
            log.write(outcome.line + "\r\n");
        }
        progress.cutFilePath = outcome.cutFilePath;
        progress.failure = outcome.failure;
        progress.done = true;
        if (onBatchProgress) onBatchProgress(progress);
    };
    BatchAhead ahead(*this, batchJobs);  // with several jobs, the files are cut there
    for (int index = 0; index < count; ++index) {
        const SongRelease release{song_};
        BatchFileOutcome outcome;
        if (ahead.active()) {
            outcome = ahead.take(index);
        } else {
            try {
                outcome.line = prepareBatchFile(index);
            } catch (...) {
                outcome.failure = describeFileFailure(std::current_exception());
            }
        }
        LabStatus = std::to_string(index + 1) + " of " + std::to_string(count);
        BatchProgress progress = progressOf(index, outcome);
        if (onBatchProgress) onBatchProgress(progress);

        // Clicks are handled here; whatever a slider move changes, the file
        // about to be logged is the one cut, at the position logged.
        const AppState prepared = state;
        services_.events.processPendingEvents();
        state = prepared;
        // A batch stopped here has not tried this file: the log does not name it.
        if (exitRequested_) return;

        if (!ahead.active() && outcome.failure.empty()) cutBatchFile(outcome);
        if (!outcome.destinationFault.empty()) {
            // What refuses this cut refuses every other: no file is started
            // any more, and the batch ends with the cuts it has in hand.
            for (auto& [later, inHand] : ahead.rest(index)) {
                if (!inHand.destinationFault.empty()) continue;
                BatchProgress laterProgress = progressOf(later, inHand);
                if (onBatchProgress) onBatchProgress(laterProgress);
                logFile(later, inHand, laterProgress);
            }
            const std::string stop = "after " + std::to_string(logged) + " of " + std::to_string(count) +
                                     " files: cannot write into " + destination + ": " + outcome.destinationFault;
            log.write("stopped " + withoutControlCharacters(stop) + "\r\n");
            LabStatus = "Stopped: " + outcome.destinationFault + "; log in Quorvane.log.";
            const int cut = logged - static_cast<int>(failures_.size());
            services_.messages.showMessage(
                "Stopped " + stop +
                (failures_.empty() && previewFailures_.empty()
                     ? std::string()
                     : "\n" + batchSummary(cut, logged, failures_, previewFailures_)));
            return;
        }
        logFile(index, outcome, progress);
        // A stop asked for during this file takes effect now that it is done;
        // at the last file there is nothing left to stop.
        if (stopRequested_ && index + 1 < count) {
            const std::string done = std::to_string(index + 1) + " of " + std::to_string(count) + " files";
            log.write("stopped after " + done + "\r\n");
            LabStatus = "Stopped after " + done + "; log in Quorvane.log.";
            if (!failures_.empty() || !previewFailures_.empty()) {
                const int tried = index + 1;
                services_.messages.showMessage(batchSummary(tried - static_cast<int>(failures_.size()), tried,
                                                            failures_, previewFailures_));
            }
            return;
        }
        if (batchPauseMs > 0) services_.pause.sleepMilliseconds(batchPauseMs);
    }
    LabNum = "Done!";
    const int cut = count - static_cast<int>(failures_.size());
    LabStatus = "Cut " + std::to_string(cut) + " of " + std::to_string(count) + " files; log in Quorvane.log.";
    if (!failures_.empty() || !previewFailures_.empty()) {
        services_.messages.showMessage(batchSummary(cut, count, failures_, previewFailures_));
    }
}

}  // namespace quorvane
