#include "clip_preview.hpp"

#include <new>

#include "engine/errors.hpp"
#include "preview/preview_clip.hpp"
#include "window_model.hpp"

namespace quorvane {

ClipPreview::ClipPreview(const WindowModel& model, PlayerMaker makePlayer)
    : model_(model), makePlayer_(std::move(makePlayer)) {}

std::string ClipPreview::toggle() {
    if (!makePlayer_) return "Audio previews are not part of this build.";
    if (playing()) {
        player_->stop();
        return "Preview stopped.";
    }
    try {
        const auto cut = model_.pendingCut();
        if (!cut) {
            if (model_.appState().songPath.empty()) return "Nothing to play: choose a song in the list first.";
            if (std::string refusal = model_.formatRefusal(); !refusal.empty()) return refusal;
            return "Nothing to play: move CUT POINT past the start.";
        }
        preview::SongEvents clip = preview::cutEnding(cut->first, cut->second);
        if (!player_) player_ = makePlayer_();
        if (!player_->play(std::move(clip))) return "No audio device: the preview cannot play.";
        return "Playing the last 5 s before the cut.";
    } catch (const FileError& error) {
        return userMessage(error);
    } catch (const std::bad_alloc&) {
        return "Not enough memory to play the cut point.";
    }
}

}  // namespace quorvane
