// CUT ONE and CUT ALL as the window runs them, on the cut service.

#include "engine/cut_points.hpp"
#include "platform/files.hpp"
#include "window_model.hpp"

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
    explicit Frozen(SliderModel& slider) : slider_(slider), was_(slider.acceptsInput()) {
        slider_.setAcceptsInput(false);
    }
    ~Frozen() { slider_.setAcceptsInput(was_); }

private:
    SliderModel& slider_;
    bool was_;
};

std::string fileNameOf(const std::string& path) { return utf8FromPath(pathFromUtf8(path).filename()); }

// The song is read afresh, as the user may have changed it since it was measured.
CutRequest requestFor(const AppState& state) {
    CutRequest request;
    request.source = state.songPath;
    request.listedName = state.listedName;
    request.destFolder = state.destFolder;
    request.keepsNameCase = state.keepsNameCase;
    request.cutNumber = state.cutNumber;
    request.cutTick = state.cutTick;
    return request;
}

}  // namespace

void WindowModel::cutCurrentSong() {
    const std::int32_t value = cutSlider.value();
    if (state_.songPath.empty()) {
        status = "Nothing cut: choose a song in the list first.";
        return;
    }
    if (measuring()) {
        // Until the song is measured, the window shows neither its fields
        // nor those of the song before it.
        status = measuringStatus_ = "Nothing cut: the song is still being measured.";
        return;
    }
    if (const std::string refusal = formatRefusal(); !refusal.empty()) {
        status = refusal;
        return;
    }
    if (value <= 0) {
        status = "Nothing cut: move CUT POINT past the start.";
        return;
    }
    // The cut is made where the thumb stands, whatever happened before.
    status.clear();
    state_.cutTick = cutTickAt(value);
    state_.cutFilePath = cutAtPosition(song_, value, state_.destFolder).cutFile;
    status = "Written: " + fileNameOf(state_.cutFilePath);
}

std::optional<std::pair<CutRequest, bool>> WindowModel::pendingCut() const {
    const std::int32_t value = cutSlider.value();
    // A song still being measured has none of its own fields yet.
    if (state_.songPath.empty() || measuring() || value <= 0 || !formatRefusal().empty()) return std::nullopt;
    CutRequest request = requestFor(state_);
    request.cutTick = cutTickAt(value);
    return std::pair{request, song_.formatOne()};
}

void WindowModel::fileStarted(const BatchProgress& progress) {
    if (progress.failure.empty()) {
        // The file in hand is current, its clip's end on the cut slider: the
        // first step at or past it.
        nameCurrent(songs.at(static_cast<std::size_t>(progress.position - 1)));
        song_.format = progress.header.format;
        song_.division = progress.header.division;
        song_.tempo = progress.header.tempo;
        song_.tickMs = progress.header.tickMs;
        song_.timeline = progress.timeline;
        song_.cutSteps = cutSteps(*song_.timeline);
        cutSlider.setValue(0);
        fitCutSlider();
        const std::uint64_t cut = progress.cutTick;
        cutSlider.setValue(stepAtOrAfter(*song_.timeline, cut));
        state_.cutTick = cut;
        cutPointTime = progress.clipTime;
    } else {
        forgetCurrentFile();
    }
    status = std::to_string(progress.position) + " of " + std::to_string(progress.count);
    if (onBatchProgress) onBatchProgress(progress);
    // Clicks are handled here; whatever a slider move changes, the file
    // about to be logged is the one cut, at the position logged.
    const AppState prepared = state_;
    const SongInfo preparedSong = song_;
    services_.events.processPendingEvents();
    state_ = prepared;
    song_ = preparedSong;
}

void WindowModel::fileFinished(const BatchProgress& progress) {
    cutCount = std::to_string(progress.position);
    if (!progress.cutFilePath.empty()) state_.cutFilePath = progress.cutFilePath;
    if (onBatchProgress) onBatchProgress(progress);
    // A batch about to stop does not wait.
    const bool stopping = (stopRequested_ || exitRequested_) && progress.position < progress.count;
    if (!stopping && batchPauseMs > 0) services_.pause.sleepMilliseconds(batchPauseMs);
}

BatchStop WindowModel::stopRequested() {
    if (exitRequested_) return BatchStop::Now;
    return stopRequested_ ? BatchStop::AfterFile : BatchStop::None;
}

void WindowModel::cutEverySong() {
    if (songs.empty()) {
        status = "Nothing cut: the list has no songs.";
        return;
    }
    if (!(clipLengthSeconds() > 0)) {
        status = "Nothing cut: set CLIP LENGTH above 0 seconds.";
        return;
    }
    status.clear();
    // The batch makes each file current itself; a song half chosen is not.
    if (measuring()) forgetCurrentFile();
    failures_.clear();
    previewFailures_.clear();
    const BatchPlan plan{sourceFolder, songs, clipLengthSeconds(), state_.destFolder, {}};
    const Running running(batchRunning_);
    stopRequested_ = false;
    // The clip length and the cut point belong to the batch until it ends.
    const Frozen frozenCutPoint(cutSlider), frozenClipLength(clipSlider);
    // The window's batch takes its files one by one, its events and pause between them.
    const BatchReport report = cutFolder(plan, 1, *this);
    failures_ = report.failures;
    previewFailures_ = report.previewFailures;
    const std::string message = report.message();
    if (!report.stopReason.empty()) {
        status = "Stopped: " + report.destinationFault + "; see the log.";
    } else if (!report.stoppedAfter.empty()) {
        status = "Stopped after " + report.stoppedAfter + "; see Quorvane.log.";
    } else if (report.complete) {
        cutCount = "Done!";
        status =
            "Cut " + std::to_string(report.cut()) + " of " + std::to_string(report.count) + " files; see Quorvane.log.";
    } else {
        return;  // the window is closing
    }
    if (!message.empty()) services_.messages.showMessage(message);
}

}  // namespace quorvane
