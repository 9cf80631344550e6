#include "ui/cut_point_preview.hpp"

#include "ui/face_texts.hpp"
#include "workflow/window_model.hpp"

#ifdef QUORVANE_WITH_PREVIEW
#include <new>
#include <optional>

#include "engine/errors.hpp"
#include "preview/player.hpp"
#include "preview/preview_clip.hpp"
#include "preview/soundfont.hpp"
#else
namespace quorvane::preview {
class Player {};
}  // namespace quorvane::preview
#endif

namespace quorvane::ui {

CutPointPreview::CutPointPreview(WindowModel& model) : model_(model) {}

CutPointPreview::~CutPointPreview() = default;

void CutPointPreview::useDriver(std::string driver, std::string fileName) {
    player_.reset();
    driver_ = std::move(driver);
    fileName_ = std::move(fileName);
}

void CutPointPreview::useSoundFont(std::string path) {
    if (path == soundFont_) return;
    player_.reset();  // the next preview loads the other SoundFont
    soundFont_ = std::move(path);
}

#ifdef QUORVANE_WITH_PREVIEW

std::string CutPointPreview::toggle() {
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
        if (!player_) {
            constexpr int kSampleRate = 44100;
            player_ = std::make_unique<preview::Player>(
                preview::findSoundFont(soundFont_.empty() ? std::nullopt : std::optional(soundFont_)), kSampleRate,
                driver_, fileName_);
        }
        if (!player_->play(std::move(clip))) return "No audio device: the preview cannot play.";
        return "Playing the last 5 s before the cut.";
    } catch (const FileError& error) {
        return userMessage(error);
    } catch (const std::bad_alloc&) {
        return "Not enough memory to play the cut point.";
    }
}

bool CutPointPreview::playing() const { return player_ && player_->playing(); }
std::uint64_t CutPointPreview::framesPlayed() const { return player_ ? player_->framesPlayed() : 0; }
int CutPointPreview::voicesHeard() const { return player_ ? player_->voicesHeard() : 0; }

#else

std::string CutPointPreview::toggle() { return std::string(texts::kNoPreview); }
bool CutPointPreview::playing() const { return false; }
std::uint64_t CutPointPreview::framesPlayed() const { return 0; }
int CutPointPreview::voicesHeard() const { return 0; }

#endif

}  // namespace quorvane::ui
