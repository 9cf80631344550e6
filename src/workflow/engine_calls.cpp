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
    return CutRequest{state.songPath,  state.listedName, state.destFolder, state.keepsNameCase,
                      state.cutNumber, state.cutTick,    timeline,         nullptr};
}

}  // namespace

void WindowModel::takeHeader(const SongHeader& song) {
    state_.format = song.format;
    state_.isFormatOne = song.format == 1;
    state_.formatText.assign(1, state_.isFormatOne ? '1' : '0');
    state_.tempo = song.tempo;
    state_.division = ExactDivision{song.division};
    state_.tickMs = song.tickMs;
}

SongInfo WindowModel::currentSong() const {
    SongInfo song;
    song.path = state_.songPath;
    song.listed = ListedSong{state_.listedName, utf8FromPath(pathFromUtf8(state_.songPath).filename()),
                             state_.keepsNameCase, state_.cutNumber};
    song.format = state_.format;
    song.division = state_.division.quarters;
    song.tempo = state_.tempo;
    song.tickMs = state_.tickMs;
    song.timeline = timeline_;
    song.cutSteps = cutSlider.max();
    return song;
}

std::optional<std::pair<CutRequest, bool>> WindowModel::pendingCut() const {
    const std::int32_t value = cutSlider.value();
    // A song still being measured has none of its own fields yet.
    if (state_.songPath.empty() || measuring() || value <= 0 || !formatRefusal().empty()) return std::nullopt;
    CutRequest request = requestFor(state_, nullptr);  // read afresh, as CUT ONE reads it
    request.cutTick = cutTickAt(value);
    return std::pair{request, state_.isFormatOne};
}

}  // namespace quorvane
