// Making a file current, measuring it, and the cut-position display.

#include <algorithm>
#include <limits>

#include "engine/pre_reader.hpp"
#include "form1.hpp"
#include "time_display.hpp"

namespace quorvane {

namespace {
constexpr std::int32_t kTempoProbe = 2000;  // music ticks after the start where the tempo is read
constexpr double kTicksPerStep = 1000;      // music ticks per step of the cut slider
}  // namespace

void Form1::ListMIDI_Click(int index) {
    // During a batch the list belongs to the batch: the file it logged is
    // the file it cuts.
    if (batchRunning_) return;
    guarded([&] {
        if (index < 0 || index >= static_cast<int>(ListMIDI.size())) return;
        makeCurrent(ListMIDI[static_cast<std::size_t>(index)]);
        const double bpm = measure();
        const std::int64_t seconds = wholeSeconds(MusicSegment->GetLength(), bpm);
        LabDurataTempo = minutesSeconds(seconds);
        // The slider refuses a range of 0, so a song under one second gets 1.
        const std::int64_t max = std::clamp<std::int64_t>(wholeSeconds(MusicSegment->GetLength(), bpm), 1,
                                                          std::numeric_limits<std::int32_t>::max());
        Segmento.SetMax(static_cast<std::int32_t>(max));
    });
}

void Form1::makeCurrent(const ListItem& item) {
    state.FilePath = TextPath + pathSeparator() + item.diskName;
    state.Text9 = state.FilePath;
    state.FileName = item.text;
    state.KeepsNameCase = item.keepsCase;
    try {
        PreLeggi(state);
        prepareEngine();
    } catch (...) {
        forgetCurrentFile();
        throw;
    }
}

void Form1::forgetCurrentFile() {
    // A file that could not be read or measured is not current: the cut
    // commands and the cut slider then leave it alone.
    state.FilePath.clear();
    state.FileName.clear();
    state.Text9.clear();
    MusicSegment.reset();
    MusicSegmentState.reset();
}

void Form1::prepareEngine() {
    if (MusicPerformance) MusicPerformance->CloseDown();
    if (!MusicRoot) MusicRoot = std::make_shared<music::Root>();
    MusicLoader = MusicRoot->CreateLoader();
    MusicPerformance = MusicRoot->CreatePerformance();
    MusicPerformance->Init(nullptr, 0);
    MusicPerformance->SetPort(-1, 80);
    MusicPerformance->SetMasterAutoDownload(true);
}

double Form1::measure() {
    try {
        MusicSegment = MusicLoader->LoadSegment(state.FilePath);
        MusicSegment->SetStandardMidiFile();
        const std::int32_t now = MusicPerformance->GetMusicTime();
        MusicSegmentState = MusicPerformance->PlaySegment(MusicSegment, 0, 0);
        std::int32_t unused = 0;
        const double bpm = MusicPerformance->GetTempo(now + kTempoProbe, unused);
        MusicPerformance->Stop(MusicSegment, MusicSegmentState, 0, 0);
        if (!(bpm > 0)) throw music::EngineError("get tempo", state.FilePath, "tempo of 0");
        return bpm;
    } catch (...) {
        forgetCurrentFile();
        throw;
    }
}

void Form1::Segmento_ValueChanged() {
    if (state.FilePath.empty()) return;
    const std::int32_t value = Segmento.Value();
    if (value <= 0) return;
    if (!MusicSegment || !MusicPerformance) {
        throw music::EngineError("set length", state.FilePath, "no segment is loaded");
    }
    MusicSegment->SetLength(static_cast<std::int32_t>(value * kTicksPerStep));
    const std::int32_t now = MusicPerformance->GetMusicTime();
    MusicSegmentState = MusicPerformance->PlaySegment(MusicSegment, 0, 0);
    std::int32_t unused = 0;
    const double bpm = MusicPerformance->GetTempo(now, unused);
    MusicPerformance->Stop(MusicSegment, MusicSegmentState, 0, 0);
    if (!(bpm > 0)) throw music::EngineError("get tempo", state.FilePath, "tempo of 0");
    LabDurataTempo = minutesSeconds(wholeSeconds(MusicSegment->GetLength(), bpm));
    state.CutTime = MusicSegment->GetLength();
}

}  // namespace quorvane
