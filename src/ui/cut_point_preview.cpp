#include "ui/cut_point_preview.hpp"

#include "workflow/window_model.hpp"

#ifdef QUORVANE_WITH_PREVIEW
#include <new>
#include <optional>

#include "preview/player.hpp"
#include "preview/soundfont.hpp"
#include "workflow/cut_point_play.hpp"
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

namespace {

// The FluidSynth player, made on first use with the SoundFont and driver
// chosen by then.
class FluidSynthPlayer final : public ClipPlayer {
public:
    FluidSynthPlayer(std::unique_ptr<preview::Player>& player, const std::string& soundFont, const std::string& driver,
                     const std::string& fileName)
        : player_(player), soundFont_(soundFont), driver_(driver), fileName_(fileName) {}

    bool play(preview::SongEvents clip) override {
        if (!player_) {
            constexpr int kSampleRate = 44100;
            player_ = std::make_unique<preview::Player>(
                preview::findSoundFont(soundFont_.empty() ? std::nullopt : std::optional(soundFont_)), kSampleRate,
                driver_, fileName_);
        }
        return player_->play(std::move(clip));
    }
    void stop() override {
        if (player_) player_->stop();
    }
    bool playing() const override { return player_ && player_->playing(); }

private:
    std::unique_ptr<preview::Player>& player_;
    const std::string& soundFont_;
    const std::string& driver_;
    const std::string& fileName_;
};

}  // namespace

std::string CutPointPreview::toggle() {
    FluidSynthPlayer player(player_, soundFont_, driver_, fileName_);
    return toggleCutPointPreview(model_, player);
}

bool CutPointPreview::playing() const { return player_ && player_->playing(); }
std::uint64_t CutPointPreview::framesPlayed() const { return player_ ? player_->framesPlayed() : 0; }
int CutPointPreview::voicesHeard() const { return player_ ? player_->voicesHeard() : 0; }

#else

std::string CutPointPreview::toggle() { return "Audio previews are not part of this build."; }
bool CutPointPreview::playing() const { return false; }
std::uint64_t CutPointPreview::framesPlayed() const { return 0; }
int CutPointPreview::voicesHeard() const { return 0; }

#endif

}  // namespace quorvane::ui
