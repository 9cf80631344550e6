#pragma once

// The window's keyboard, as the Qt window has it: Tab and Shift+Tab go
// through the controls (picture buttons, the list and the two sliders, down
// the left column and then the right), a ring shows the control the keyboard
// brought the focus to, and the shortcuts:
//
//   Ctrl+O SOURCE, Ctrl+D DEST, Ctrl+Enter CUT ONE, Ctrl+Shift+Enter CUT ALL,
//   Esc stops a running CUT ALL after the file in hand, F5 lists the source
//   folder again, Ctrl+Q quits, F1 the About box, Space plays the cut point
//   (a picture button with the focus keeps Space for itself).

#include <windows.h>

namespace quorvane::win32 {

// The commands of the shortcuts that are no button's, as WM_COMMAND ids.
enum WindowCommand : int { StopBatch = 300, ListAgain, Quit, About };

class WindowKeys {
public:
    // For `window`, whose buttons take the WM_COMMAND ids firstButtonId + their
    // layout index.
    WindowKeys(HWND window, int firstButtonId);
    ~WindowKeys();
    WindowKeys(const WindowKeys&) = delete;
    WindowKeys& operator=(const WindowKeys&) = delete;

    // Takes `message` from the message loop before it is dispatched: true
    // when it was one of the window's keys, handled.
    bool translate(const MSG& message);

    // The control the ring surrounds; null while it is hidden.
    HWND ringTarget() const noexcept { return ring_; }
    // Where the ring is drawn, in the window's pixels.
    RECT ringArea() const;
    // Draws the ring around `control` (null: hides it), as when the keyboard
    // brings it the focus.
    void surround(HWND control);

private:
    HWND window_;
    HACCEL shortcuts_ = nullptr;
    HWND ring_ = nullptr;
};

}  // namespace quorvane::win32
