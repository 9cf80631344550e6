#pragma once

// The small window that shows a slider's value beside its thumb while the
// thumb is dragged or moved by a key: one for the whole program, above every
// other window, never activated and never given the focus.

#include <windows.h>

#include <string>

namespace quorvane::win32 {

class ValueTip {
public:
    // Shows `text` (UTF-8) with the tip's top-left corner placed by `place`,
    // which is given the label's size for the text; creates the tip on first use.
    template <class Place>
    static void show(HWND owner, const std::string& text, Place place) {
        ValueTip& tip = open(owner);
        const SIZE label = tip.setText(text);
        const RECT frame = place(label);
        tip.moveTo(frame);
    }
    // Closes the tip; nothing when none is shown.
    static void dismiss();
    // The tip's window while it is shown, else null.
    static HWND current() noexcept;
    // The tip's text as shown (UTF-8).
    static std::string shownText();

    ~ValueTip();
    ValueTip(const ValueTip&) = delete;
    ValueTip& operator=(const ValueTip&) = delete;

private:
    static ValueTip& open(HWND owner);
    explicit ValueTip(HWND owner);
    SIZE setText(const std::string& text);
    void moveTo(const RECT& frame);
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void paint(HDC dc) const;

    HWND window_ = nullptr;
    HFONT font_ = nullptr;
    std::wstring text_;
    SIZE label_{};
};

}  // namespace quorvane::win32
