// CUT ONE, CUT ALL and the batch log.

#include "batch_log.hpp"
#include "engine/cut_name.hpp"
#include "engine/cutters.hpp"
#include "engine/errors.hpp"
#include "engine/output_file.hpp"
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

}  // namespace

void Form1::CutOne() {
    const std::int32_t value = Segmento.Value();
    const bool haveFile = !state.FilePath.empty();
    if (value > 0 && haveFile) cutCurrentFile(state);
}

std::string Form1::logPath() const { return TextPath + pathSeparator() + "Quorvane.log"; }

std::string Form1::prepareBatchFile(int index) {
    const ListItem item = ListMIDI.at(static_cast<std::size_t>(index));
    makeCurrent(item);
    const double bpm = measure();
    const std::string length = minutesSeconds(wholeSeconds(MusicSegment->GetLength(), bpm));
    LabDurataTempo = "00:00";
    searchCutPosition();
    return std::to_string(index + 1) + ". " + state.FileName + ": " + length + "\t" +
           withoutExtension(state.FileName) + "-cut.mid:" + LabDurataTempo + " - Format: " + state.FormatText +
           "\r\n";
}

void Form1::searchCutPosition() {
    // The search stops at the first position whose time reads the clip
    // length (or one second more); it never goes past the slider's range.
    const std::int32_t last = std::min<std::int32_t>(100, Segmento.Max());
    for (std::int32_t step = 0; step <= last; ++step) {
        const std::int32_t wanted = Choose.Value();
        if (LabDurataTempo == "00:" + twoDigits(wanted)) break;
        if (LabDurataTempo == "00:" + twoDigits(wanted + 1)) break;
        Segmento.SetValue(step);
    }
}

void Form1::CutAll() {
    if (ListMIDI.empty()) return;
    BatchLog log(logPath());
    removeLeftoverTemporaries(state.TextDest.empty() ? TextPath : state.TextDest);
    Running running(batchRunning_);
    const int count = static_cast<int>(ListMIDI.size());
    for (int index = 0; index < count; ++index) {
        log.write(prepareBatchFile(index));
        BatchProgress progress{index + 1, count, state.FileName, {}};
        if (onBatchProgress) onBatchProgress(progress);

        // Clicks are handled here; whatever a slider move changes, the file
        // just logged is the one cut, at the position logged.
        const AppState logged = state;
        services_.events.processPendingEvents();
        state = logged;
        if (exitRequested_) return;

        LabNum = std::to_string(index + 1);
        cutCurrentFile(state);
        progress.cutFilePath = state.CutFilePath;
        if (onBatchProgress) onBatchProgress(progress);
        if (batchPauseMs > 0) services_.pause.sleepMilliseconds(batchPauseMs);
    }
    LabNum = "Done!";
}

}  // namespace quorvane
