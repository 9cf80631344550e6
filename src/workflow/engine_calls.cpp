// The window's engine commands: they hand the state's fields to the engine
// as plain values and take back what it found or wrote.
#include <algorithm>

#include "engine/cutters.hpp"
#include "engine/pre_reader.hpp"
#include "platform/files.hpp"
#include "form1.hpp"

namespace quorvane {

namespace {

// The song is read afresh, as the user may have changed it since it was measured.
CutRequest requestFor(const AppState& state, const Timeline* timeline) {
    return CutRequest{state.FilePath, state.FileName, state.TextDest, state.KeepsNameCase,
                      state.CutNumber, state.CutTick, timeline, nullptr};
}

}  // namespace

void Form1::takeHeader(const SongHeader& song) {
    state.Format = song.format;
    state.IsFormatOne = song.format == 1;
    state.FormatText.assign(1, state.IsFormatOne ? '1' : '0');
    state.Tempo = song.tempo;
    state.Division = ExactDivision{song.division};
    state.TickMs = song.tickMs;
}

SongInfo Form1::currentSong() const {
    SongInfo song;
    song.path = state.FilePath;
    song.listed = ListedSong{state.FileName, utf8FromPath(pathFromUtf8(state.FilePath).filename()),
                             state.KeepsNameCase, state.CutNumber};
    song.format = state.Format;
    song.division = state.Division.quarters;
    song.tempo = state.Tempo;
    song.tickMs = state.TickMs;
    song.timeline = timeline_;
    song.cutSteps = Segmento.Max();
    return song;
}

std::optional<std::pair<CutRequest, bool>> Form1::pendingCut() const {
    const std::int32_t value = Segmento.Value();
    // A song still being measured has none of its own fields yet.
    if (state.FilePath.empty() || measuring() || value <= 0 || !formatRefusal().empty()) return std::nullopt;
    CutRequest request = requestFor(state, nullptr);  // read afresh, as CUT ONE reads it
    request.cutTick = cutTickAt(value);
    return std::pair{request, state.IsFormatOne};
}

}  // namespace quorvane
