// Making a file current, measuring it, and the cut-position display.

#include <algorithm>
#include <limits>

#include "engine/pre_reader.hpp"
#include "form1.hpp"
#include "time_display.hpp"

namespace quorvane {

namespace {
constexpr std::int32_t kTempoProbe = 2000;  // music ticks after the start where the tempo is read
}  // namespace

void Form1::ListMIDI_Click(int index) {
    // During a batch the list belongs to the batch: the file it logged is
    // the file it cuts.
    if (batchRunning_) return;
    guarded([&] {
        if (index < 0 || index >= static_cast<int>(ListMIDI.size())) return;
        makeCurrent(ListMIDI[static_cast<std::size_t>(index)]);
        try {
            const double bpm = measure();
            fitCutSlider();
            // The song's length stays on show until the cut point is moved.
            LabDurataTempo = minutesSeconds(wholeSeconds(static_cast<double>(songTicks_), bpm));
        } catch (...) {
            forgetCurrentFile();
            throw;
        }
    });
}

void Form1::makeCurrent(const ListItem& item) {
    state.FilePath = TextPath + pathSeparator() + item.diskName;
    state.Text9 = state.FilePath;
    state.FileName = item.text;
    state.KeepsNameCase = item.keepsCase;
    try {
        PreLeggi();
        prepareEngine();
    } catch (...) {
        forgetCurrentFile();
        throw;
    }
}

void Form1::forgetCurrentFile() {
    // A file that could not be read or measured is not current: the cut
    // commands and the cut slider then leave it alone, and nothing of the
    // song before it stays on show.
    state.FilePath.clear();
    state.FileName.clear();
    state.Text9.clear();
    state.CutTime = 0;
    MusicSegment.reset();
    MusicSegmentState.reset();
    songTicks_ = 0;
    LabDurataTempo.clear();
    Segmento.SetValue(0);
    Segmento.SetMax(kNoSongMax);
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
        songTicks_ = MusicSegment->GetLength();
        return bpm;
    } catch (...) {
        forgetCurrentFile();
        throw;
    }
}

void Form1::fitCutSlider() {
    // One step for every 1000 ticks up to the song's end, the last step
    // reaching it: at the end of the rail the whole song is kept.
    const std::int64_t steps = std::max<std::int64_t>(1, (songTicks_ + kTicksPerStep - 1) / kTicksPerStep);
    const auto max = static_cast<std::int32_t>(std::min<std::int64_t>(steps, std::numeric_limits<std::int32_t>::max()));
    // A thumb past the new end goes to the end, and that is where it cuts.
    Segmento.SetMax(max);
    if (Segmento.Value() > max) Segmento.SetValue(max);
    state.CutTime = Segmento.Value() > 0 ? positionTicks(Segmento.Value()) : 0;
}

std::int32_t Form1::positionTicks(std::int32_t value) const {
    const std::int64_t ticks = static_cast<std::int64_t>(value) * kTicksPerStep;
    if (value < 0 || ticks > std::numeric_limits<std::int32_t>::max()) {
        throw music::EngineError("set length", state.FilePath,
                                 "cut position " + std::to_string(value) + " lies beyond the longest song that can be measured");
    }
    return static_cast<std::int32_t>(ticks);
}

std::string Form1::timeAtPosition(std::int32_t value) const {
    if (state.FilePath.empty() || !MusicSegment) return {};
    const std::int64_t ticks = std::min<std::int64_t>(static_cast<std::int64_t>(value) * kTicksPerStep, songTicks_);
    // The time of a position is read at the song's opening tempo.
    return minutesSeconds(wholeSeconds(static_cast<double>(std::max<std::int64_t>(0, ticks)), MusicSegment->tempoAt(0)));
}

void Form1::Segmento_ValueChanged() {
    if (state.FilePath.empty()) return;
    const std::int32_t value = Segmento.Value();
    if (value <= 0) {
        state.CutTime = 0;
        return;
    }
    if (!MusicSegment || !MusicPerformance) {
        throw music::EngineError("set length", state.FilePath, "no segment is loaded");
    }
    // Until the new position is known, none is: CUT ONE never cuts at a
    // position the window does not show.
    state.CutTime = 0;
    LabDurataTempo.clear();
    MusicSegment->SetLength(positionTicks(value));
    const std::int32_t now = MusicPerformance->GetMusicTime();
    MusicSegmentState = MusicPerformance->PlaySegment(MusicSegment, 0, 0);
    std::int32_t unused = 0;
    const double bpm = MusicPerformance->GetTempo(now, unused);
    MusicPerformance->Stop(MusicSegment, MusicSegmentState, 0, 0);
    if (!(bpm > 0)) throw music::EngineError("get tempo", state.FilePath, "tempo of 0");
    // Past the song's end the time shown is the song's length.
    const std::int64_t shown = std::min<std::int64_t>(MusicSegment->GetLength(), songTicks_);
    LabDurataTempo = minutesSeconds(wholeSeconds(static_cast<double>(shown), bpm));
    state.CutTime = MusicSegment->GetLength();
}

}  // namespace quorvane
