#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace quorvane {
class WindowModel;
namespace preview {
class Player;
}
}  // namespace quorvane

namespace quorvane::ui {

// The window's play button: hear the cut point before cutting. Plays the
// last seconds of the cut CUT ONE would make now, its ending included, on
// the audio driver's own thread.
class CutPointPreview {
public:
    explicit CutPointPreview(WindowModel& model);
    ~CutPointPreview();
    CutPointPreview(const CutPointPreview&) = delete;
    CutPointPreview& operator=(const CutPointPreview&) = delete;

    // Starts the preview, or stops the one playing. Returns the status line.
    std::string toggle();
    // FluidSynth's audio driver to play on (empty: the platform's) and, for
    // its "file" driver, the file the frames go to.
    void useDriver(std::string driver, std::string fileName);
    // The SoundFont to play with; empty: the usual places are searched.
    void useSoundFont(std::string path);
    const std::string& soundFont() const noexcept { return soundFont_; }

    bool playing() const;
    // What the last preview played so far: frames, and the most voices
    // that sounded at once.
    std::uint64_t framesPlayed() const;
    int voicesHeard() const;

private:
    WindowModel& model_;
    std::string driver_;
    std::string fileName_;
    std::string soundFont_;
    std::unique_ptr<preview::Player> player_;
};

}  // namespace quorvane::ui
