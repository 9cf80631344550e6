#include "cut_point_play.hpp"

#include <new>

#include "engine/errors.hpp"
#include "preview/preview_clip.hpp"
#include "window_model.hpp"

namespace quorvane {

std::string toggleCutPointPreview(const WindowModel& model, ClipPlayer& player) {
    if (player.playing()) {
        player.stop();
        return "Preview stopped.";
    }
    try {
        const auto cut = model.pendingCut();
        if (!cut) {
            if (model.appState().songPath.empty()) return "Nothing to play: choose a song in the list first.";
            if (std::string refusal = model.formatRefusal(); !refusal.empty()) return refusal;
            return "Nothing to play: move CUT POINT past the start.";
        }
        if (!player.play(preview::cutEnding(cut->first, cut->second))) {
            return "No audio device: the preview cannot play.";
        }
        return "Playing the last 5 s before the cut.";
    } catch (const FileError& error) {
        return userMessage(error);
    } catch (const std::bad_alloc&) {
        return "Not enough memory to play the cut point.";
    }
}

bool followPreview(WindowModel& model, bool playing) {
    if (playing) return true;
    if (model.status.rfind("Playing", 0) == 0) model.status = "Preview ended.";
    return false;
}

}  // namespace quorvane
