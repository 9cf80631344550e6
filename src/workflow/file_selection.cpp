// Making a file current, measuring it, and the cut-position display.

#include <algorithm>
#include <exception>

#include "engine/cut_points.hpp"
#include "platform/text.hpp"
#include "error_text.hpp"
#include "window_model.hpp"
#include "core/clock_text.hpp"

namespace quorvane {

namespace {
// Without an executor of the host's, a song is measured at once, on the
// caller's thread.
class ImmediateExecutor : public Executor {
public:
    void run(std::function<void()> job, std::function<void()> done) override {
        job();
        done();
    }
};

Executor& immediateExecutor() {
    static ImmediateExecutor work;
    return work;
}
}  // namespace

// What the measure of a chosen song found, away from the window's thread.
struct WindowModel::MeasuredSong {
    SongInfo song;
    std::exception_ptr error;
};

void WindowModel::chooseSong(int index) {
    // During a batch the list belongs to the batch: the file it logged is
    // the file it cuts.
    if (batchRunning_) return;
    guarded([&] {
        if (index < 0 || index >= static_cast<int>(songs.size())) return;
        select(songs[static_cast<std::size_t>(index)]);
    });
}

void WindowModel::select(const ListedSong& item) {
    abandonSelection();
    nameCurrent(item);
    status.clear();  // whatever it said was about something else
    auto stop = std::make_shared<std::atomic<bool>>(false);
    auto measured = std::make_shared<MeasuredSong>();
    selectionStop_ = stop;
    selecting_ = true;
    struct Leave {
        bool& flag;
        ~Leave() { flag = false; }
    } leave{selecting_};
    // The job owns all it reads: it may outlive this window model.
    try {
        (services_.executor ? *services_.executor : immediateExecutor())
            .run(
                [path = state_.songPath, item, stop, measured] {
                    try {
                        measured->song = measureSong(path, item, stop.get());
                    } catch (...) {
                        measured->error = std::current_exception();
                    }
                },
                [this, stop, measured] {
                    // Another choice, a batch or the window's end came first.
                    if (stop->load()) return;
                    finishSelection(*measured);
                });
    } catch (...) {
        forgetCurrentFile();  // no measure to wait for: the song is not current
        throw;
    }
    if (!measuring()) return;
    // Until then the window shows the song's name, and nothing of the song before.
    status = measuringStatus_ = "Measuring " + withoutControlCharacters(state_.listedName) + "...";
    cutPointTime.clear();
}

void WindowModel::finishSelection(MeasuredSong& measured) {
    const bool later = !selecting_;
    selectionStop_.reset();
    measuringStatus_.clear();
    // The song becomes current field by field, as when it is read here. An
    // error (a slider event's included) ends the choice: the song is
    // forgotten and the error shown once, here, whoever runs this.
    std::exception_ptr failure;
    ++depth_;
    try {
        if (measured.error) std::rethrow_exception(measured.error);
        song_ = measured.song;
        // The thumb starts at the song's end: the whole song, its length on show.
        fitCutSlider();
        cutSlider.setValue(cutSlider.max());
        showCutPoint();
        const std::string refusal = formatRefusal();
        status = refusal.empty() ? "Ready to cut: " + withoutControlCharacters(state_.listedName) : refusal;
    } catch (...) {
        failure = std::current_exception();
    }
    --depth_;
    if (failure) {
        forgetCurrentFile();
        status.clear();
        report(failure);
    }
    if (later && onSelectionMeasured) onSelectionMeasured();
}

void WindowModel::abandonSelection() {
    if (!selectionStop_) return;
    selectionStop_->store(true);
    selectionStop_.reset();
    // What the line said about the measure ends with it.
    if (status == measuringStatus_) status.clear();
    measuringStatus_.clear();
}

void WindowModel::nameCurrent(const ListedSong& item) {
    state_.songPath = sourceFolder + pathSeparator() + item.diskName;
    song_ = SongInfo{};  // the song before is measured no more, and this one not yet
    song_.path = state_.songPath;
    song_.listed = item;
    state_.shownPath = state_.songPath;
    state_.listedName = item.text;
    state_.keepsNameCase = item.keepsCase;
    state_.cutNumber = item.cutNumber;
}

void WindowModel::forgetCurrentFile() {
    // A file that could not be read or measured is not current: the cut
    // commands and the cut slider then leave it alone, and nothing of the
    // song before it stays on show.
    abandonSelection();
    state_.songPath.clear();
    state_.listedName.clear();
    state_.shownPath.clear();
    state_.cutTick = 0;
    song_ = SongInfo{};
    cutPointTime.clear();
    cutSlider.setValue(0);
    cutSlider.setMax(kNoSongMax);
}

void WindowModel::fitCutSlider() {
    // One step for every 1000 music ticks up to the song's end, the last
    // step reaching it: at the end of the rail the whole song is kept.
    const std::int32_t max = song_.cutSteps;
    // A thumb past the new end goes to the end, and that is where it cuts.
    cutSlider.setMax(max);
    if (cutSlider.value() > max) cutSlider.setValue(max);
    showCutPoint();
}

std::string WindowModel::formatRefusal() const {
    if (state_.songPath.empty() || !song_.timeline) return {};
    return song_.refusal();
}

std::uint64_t WindowModel::cutTickAt(std::int32_t value) const { return quorvane::cutTickAt(song_, value); }

std::string WindowModel::timeAtPosition(std::int32_t value) const {
    if (state_.songPath.empty() || !song_.timeline || !formatRefusal().empty()) return {};
    if (value <= 0) return minutesSeconds(0);  // no clip
    // What is shown is the clip that is written: for Format 1 up to its bar line.
    return minutesSeconds(wholeSeconds(clipSeconds(*song_.timeline, cutTickAt(value))));
}

void WindowModel::cutPointMoved() { showCutPoint(); }

void WindowModel::showCutPoint() {
    if (state_.songPath.empty() || !song_.timeline) return;
    // Until the new position is known, none is: CUT ONE never cuts at a
    // position the window does not show.
    state_.cutTick = 0;
    cutPointTime.clear();
    if (!formatRefusal().empty()) return;  // no clip to show
    const std::int32_t value = cutSlider.value();
    const std::uint64_t cut = value > 0 ? cutTickAt(value) : 0;
    cutPointTime = timeAtPosition(value);
    state_.cutTick = cut;
}

}  // namespace quorvane
