#pragma once

// One of the picture buttons of the window, a child window of its own. It
// shows no picture until the first press (the background's own look of the
// button shows until then). Any mouse button shows the pressed picture and
// its release the released one; a left press released over the button is a
// click. Moves over it are reported (the LEDs follow them). From the keyboard
// (Tab brings it the focus), Space or Enter shows the pressed picture while
// held and clicks on release. Disabled, it is dimmed.

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

#include "ui/layout.hpp"

namespace quorvane::win32 {

class Bitmap;
class Skin;

class PictureButton {
public:
    // A child of `parent` at the layout's place; a click posts WM_COMMAND
    // with `id` to the parent, so the command runs once the click is over.
    PictureButton(HWND parent, int id, const ui::layout::ButtonPlace& place, Skin& skin, const Bitmap& background);
    ~PictureButton();
    PictureButton(const PictureButton&) = delete;
    PictureButton& operator=(const PictureButton&) = delete;

    HWND handle() const noexcept { return window_; }
    // The resource name of the picture shown, empty while none is.
    const std::string& pictureName() const noexcept { return pictureName_; }

    std::function<void()> onMouseMoved;

    // Draws the button as it looks now at (x, y) of `target`.
    void paint(HDC target, int x, int y) const;

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void showPicture(std::string_view name);
    void click();
    static bool pressesButton(WPARAM key);

    HWND window_ = nullptr;
    int id_;
    ui::layout::ButtonPlace place_;
    Skin& skin_;
    const Bitmap& background_;
    std::string pictureName_;
    bool leftPressed_ = false;
    bool keyPressed_ = false;
};

}  // namespace quorvane::win32
