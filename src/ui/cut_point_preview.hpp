#pragma once

#include <cstdint>
#include <string>

#include "workflow/clip_preview.hpp"

namespace quorvane {
class WindowModel;
namespace preview {
class Player;
}
}  // namespace quorvane

namespace quorvane::ui {

// The window's play button on FluidSynth: the preview's rule (what plays,
// what the status line says) with the SoundFont and audio driver the
// window's settings choose.
class CutPointPreview {
public:
    explicit CutPointPreview(WindowModel& model);
    // Its player maker refers to it.
    CutPointPreview(const CutPointPreview&) = delete;
    CutPointPreview& operator=(const CutPointPreview&) = delete;

    // Starts the preview, or stops the one playing. Returns the status line.
    std::string toggle() { return preview_.toggle(); }
    // FluidSynth's audio driver to play on (empty: the platform's) and, for
    // its "file" driver, the file the frames go to.
    void useDriver(std::string driver, std::string fileName);
    // The SoundFont to play with; empty: the usual places are searched.
    void useSoundFont(std::string path);
    const std::string& soundFont() const noexcept { return soundFont_; }

    bool playing() const { return preview_.playing(); }
    // What the last preview played so far: frames, and the most voices
    // that sounded at once.
    std::uint64_t framesPlayed() const;
    int voicesHeard() const;

private:
    ClipPreview::PlayerMaker playerMaker();
    const preview::Player* player() const;

    std::string driver_;
    std::string fileName_;
    std::string soundFont_;
    ClipPreview preview_;
};

}  // namespace quorvane::ui
