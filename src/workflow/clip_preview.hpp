#pragma once

#include <functional>
#include <memory>
#include <string>

#include "preview/clip_player.hpp"

namespace quorvane {

class WindowModel;

// The play button, for every face: hear the cut point before cutting. It
// plays the last seconds of the cut CUT ONE would make now, its ending
// included, and says on the status line what it did.
class ClipPreview {
public:
    // Makes the player on first use; a null maker: previews are not part of
    // this build.
    using PlayerMaker = std::function<std::unique_ptr<preview::ClipPlayer>()>;

    ClipPreview(const WindowModel& model, PlayerMaker makePlayer);

    // Starts the preview, or stops the one playing. Returns the status line.
    std::string toggle();
    bool playing() const { return player_ && player_->playing(); }
    // The next preview makes its player anew (the face changed what it plays with).
    void forgetPlayer() { player_.reset(); }
    // The player made so far; null before the first preview.
    preview::ClipPlayer* player() const noexcept { return player_.get(); }

private:
    const WindowModel& model_;
    PlayerMaker makePlayer_;
    std::unique_ptr<preview::ClipPlayer> player_;
};

}  // namespace quorvane
