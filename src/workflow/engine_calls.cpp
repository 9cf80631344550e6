// The window's engine commands: they hand the state's fields to the engine
// as plain values and take back what it found or wrote.
#include <algorithm>

#include "engine/cutters.hpp"
#include "engine/pre_reader.hpp"
#include "platform/files.hpp"
#include "window_model.hpp"

namespace quorvane {

namespace {

// The song is read afresh, as the user may have changed it since it was measured.
CutRequest requestFor(const AppState& state, const Timeline* timeline) {
    return CutRequest{state.songPath, state.listedName, state.destFolder, state.KeepsNameCase,
                      state.CutNumber, state.CutTick, timeline, nullptr};
}

}  // namespace

void WindowModel::takeHeader(const SongHeader& song) {
    state.Format = song.format;
    state.IsFormatOne = song.format == 1;
    state.FormatText.assign(1, state.IsFormatOne ? '1' : '0');
    state.Tempo = song.tempo;
    state.Division = ExactDivision{song.division};
    state.TickMs = song.tickMs;
}

SongInfo WindowModel::currentSong() const {
    SongInfo song;
    song.path = state.songPath;
    song.listed = ListedSong{state.listedName, utf8FromPath(pathFromUtf8(state.songPath).filename()),
                             state.KeepsNameCase, state.CutNumber};
    song.format = state.Format;
    song.division = state.Division.quarters;
    song.tempo = state.Tempo;
    song.tickMs = state.TickMs;
    song.timeline = timeline_;
    song.cutSteps = cutSlider.Max();
    return song;
}

std::optional<std::pair<CutRequest, bool>> WindowModel::pendingCut() const {
    const std::int32_t value = cutSlider.Value();
    // A song still being measured has none of its own fields yet.
    if (state.songPath.empty() || measuring() || value <= 0 || !formatRefusal().empty()) return std::nullopt;
    CutRequest request = requestFor(state, nullptr);  // read afresh, as CUT ONE reads it
    request.cutTick = cutTickAt(value);
    return std::pair{request, state.IsFormatOne};
}

}  // namespace quorvane
