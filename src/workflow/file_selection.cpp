// Making a file current, measuring it, and the cut-position display.

#include <algorithm>
#include <exception>
#include <limits>

#include "engine/errors.hpp"
#include "engine/pre_reader.hpp"
#include "engine/song_source.hpp"
#include "engine/text.hpp"
#include "form1.hpp"
#include "scripted_services.hpp"
#include "time_display.hpp"

namespace quorvane {

namespace {
constexpr std::int32_t kTempoProbe = 2000;  // music ticks after the start where the tempo is read

BackgroundWork& immediateWork() {
    static ImmediateWork work;
    return work;
}
}  // namespace

// What the measure of a chosen song found, away from the window's thread.
struct Form1::MeasuredSong {
    SongHeader header;
    std::optional<SongTiming> timing;
    std::exception_ptr error;
};

void Form1::ListMIDI_Click(int index) {
    // During a batch the list belongs to the batch: the file it logged is
    // the file it cuts.
    if (batchRunning_) return;
    const SongRelease release{song_};
    guarded([&] {
        if (index < 0 || index >= static_cast<int>(ListMIDI.size())) return;
        select(ListMIDI[static_cast<std::size_t>(index)]);
    });
}

void Form1::select(const ListItem& item) {
    abandonSelection();
    nameCurrent(item);
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
        (services_.work ? *services_.work : immediateWork())
            .run(
                [path = state.FilePath, stop, measured] {
                    try {
                        const SongSource song(path);
                        measured->header = preRead(song, stop.get());
                        measured->timing = SongTiming::measure(song, stop.get());
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
    statusBeforeMeasure_ = LabStatus;
    LabStatus = measuringStatus_ = "Measuring " + withoutControlCharacters(state.FileName) + "...";
    LabDurataTempo.clear();
}

void Form1::finishSelection(MeasuredSong& measured) {
    const bool later = !selecting_;
    selectionStop_.reset();
    if (LabStatus == measuringStatus_) LabStatus = statusBeforeMeasure_;
    measuringStatus_.clear();
    // The song becomes current field by field, as when it is read here. An
    // error (a slider event's included) ends the choice: the song is
    // forgotten and the error shown once, here, whoever runs this.
    std::exception_ptr failure;
    ++depth_;
    try {
        if (measured.error) std::rethrow_exception(measured.error);
        takeHeader(measured.header);
        timing_ = std::move(measured.timing);
        const double bpm = timing_->tempoAt(kTempoProbe);
        fitCutSlider();
        // The song's length stays on show until the cut point is moved.
        LabDurataTempo = minutesSeconds(wholeSeconds(songTicks(), bpm));
    } catch (...) {
        failure = std::current_exception();
    }
    --depth_;
    if (failure) {
        forgetCurrentFile();
        report(failure);
    }
    if (later && onSelectionMeasured) onSelectionMeasured();
}

void Form1::abandonSelection() {
    if (!selectionStop_) return;
    selectionStop_->store(true);
    selectionStop_.reset();
    if (LabStatus == measuringStatus_) LabStatus = statusBeforeMeasure_;
    measuringStatus_.clear();
}

void Form1::nameCurrent(const ListItem& item) {
    timing_.reset();  // the song before is measured no more
    state.FilePath = TextPath + pathSeparator() + item.diskName;
    state.Text9 = state.FilePath;
    state.FileName = item.text;
    state.KeepsNameCase = item.keepsCase;
}

void Form1::makeCurrent(const ListItem& item) {
    abandonSelection();
    nameCurrent(item);
    try {
        song_ = std::make_shared<const SongSource>(state.FilePath);
        PreLeggi();
    } catch (...) {
        forgetCurrentFile();
        throw;
    }
}

void Form1::forgetCurrentFile() {
    // A file that could not be read or measured is not current: the cut
    // commands and the cut slider then leave it alone, and nothing of the
    // song before it stays on show.
    abandonSelection();
    state.FilePath.clear();
    state.FileName.clear();
    state.Text9.clear();
    state.CutTime = 0;
    timing_.reset();
    song_.reset();
    LabDurataTempo.clear();
    Segmento.SetValue(0);
    Segmento.SetMax(kNoSongMax);
}

double Form1::measure() {
    try {
        timing_ = song_ && song_->path() == state.FilePath ? SongTiming::measure(*song_)
                                                           : SongTiming::measure(state.FilePath);
        return timing_->tempoAt(kTempoProbe);
    } catch (...) {
        forgetCurrentFile();
        throw;
    }
}

void Form1::fitCutSlider() {
    // One step for every 1000 ticks up to the song's end, the last step
    // reaching it: at the end of the rail the whole song is kept.
    const std::int64_t steps =
        std::max<std::int64_t>(1, (std::int64_t{songTicks()} + kTicksPerStep - 1) / kTicksPerStep);
    const auto max = static_cast<std::int32_t>(std::min<std::int64_t>(steps, std::numeric_limits<std::int32_t>::max()));
    // A thumb past the new end goes to the end, and that is where it cuts.
    Segmento.SetMax(max);
    if (Segmento.Value() > max) Segmento.SetValue(max);
    state.CutTime = Segmento.Value() > 0 ? positionTicks(Segmento.Value()) : 0;
}

std::int32_t Form1::positionTicks(std::int32_t value) const {
    const std::int64_t ticks = static_cast<std::int64_t>(value) * kTicksPerStep;
    if (value < 0 || ticks > std::numeric_limits<std::int32_t>::max()) {
        throw FileError(ErrorKind::CannotCut, state.FilePath,
                        "cut position " + std::to_string(value) + " lies beyond the longest song that can be measured");
    }
    return static_cast<std::int32_t>(ticks);
}

std::string Form1::timeAtPosition(std::int32_t value) const {
    if (state.FilePath.empty() || !timing_) return {};
    const std::int64_t ticks = std::min<std::int64_t>(static_cast<std::int64_t>(value) * kTicksPerStep, songTicks());
    // The time of a position is read at the song's opening tempo.
    return minutesSeconds(wholeSeconds(static_cast<double>(std::max<std::int64_t>(0, ticks)), timing_->tempoAt(0)));
}

void Form1::Segmento_ValueChanged() {
    if (state.FilePath.empty() || !timing_) return;
    const std::int32_t value = Segmento.Value();
    if (value <= 0) {
        state.CutTime = 0;
        return;
    }
    // Until the new position is known, none is: CUT ONE never cuts at a
    // position the window does not show.
    state.CutTime = 0;
    LabDurataTempo.clear();
    const std::int32_t position = positionTicks(value);
    // Past the song's end the time shown is the song's length, read at the
    // song's opening tempo.
    const std::int32_t shown = std::min(position, songTicks());
    LabDurataTempo = minutesSeconds(wholeSeconds(shown, timing_->tempoAt(0)));
    state.CutTime = position;
}

}  // namespace quorvane
