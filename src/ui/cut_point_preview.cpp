#include "ui/cut_point_preview.hpp"

#ifdef QUORVANE_WITH_PREVIEW
#include <optional>

#include "preview/player.hpp"
#include "preview/soundfont.hpp"
#endif

namespace quorvane::ui {

CutPointPreview::CutPointPreview(WindowModel& model) : preview_(model, playerMaker()) {}

void CutPointPreview::useDriver(std::string driver, std::string fileName) {
    preview_.forgetPlayer();
    driver_ = std::move(driver);
    fileName_ = std::move(fileName);
}

void CutPointPreview::useSoundFont(std::string path) {
    if (path == soundFont_) return;
    preview_.forgetPlayer();  // the next preview loads the other SoundFont
    soundFont_ = std::move(path);
}

#ifdef QUORVANE_WITH_PREVIEW

ClipPreview::PlayerMaker CutPointPreview::playerMaker() {
    return [this] {
        constexpr int kSampleRate = 44100;
        return std::make_unique<preview::Player>(
            preview::findSoundFont(soundFont_.empty() ? std::nullopt : std::optional(soundFont_)), kSampleRate, driver_,
            fileName_);
    };
}

const preview::Player* CutPointPreview::player() const {
    return static_cast<const preview::Player*>(preview_.player());  // only ours makes them
}

std::uint64_t CutPointPreview::framesPlayed() const { return player() ? player()->framesPlayed() : 0; }
int CutPointPreview::voicesHeard() const { return player() ? player()->voicesHeard() : 0; }

#else

ClipPreview::PlayerMaker CutPointPreview::playerMaker() { return {}; }
const preview::Player* CutPointPreview::player() const { return nullptr; }
std::uint64_t CutPointPreview::framesPlayed() const { return 0; }
int CutPointPreview::voicesHeard() const { return 0; }

#endif

}  // namespace quorvane::ui
