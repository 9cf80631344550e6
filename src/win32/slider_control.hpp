#pragma once

// SliderModel as a child window painted with GDI: it sizes itself, paints
// its rail and thumb from the shared geometry, follows the mouse, the keys
// and the wheel, and shows the value tip, as the Qt slider does.

#include <windows.h>

#include <cstdint>

#include "slider/slider_geometry.hpp"
#include "slider/slider_model.hpp"
#include "ui/layout.hpp"

namespace quorvane::win32 {

class SliderControl final : public SliderModel {
public:
    // A child of `parent` at `box`, with the control id `id`.
    SliderControl(HWND parent, const ui::layout::Box& box, int id);
    ~SliderControl() override;

    HWND handle() const noexcept { return window_; }
    // Draws the slider as it looks now at (x, y) of `target`.
    void paint(HDC target, int x, int y) const;

protected:
    void layoutSlider() override;
    void drawSlider() override;
    void dragCancelled() override;
    void thumbDragged() override { ::InvalidateRect(window_, nullptr, FALSE); }
    std::int32_t surfaceWidth() const override;
    std::int32_t surfaceHeight() const override;

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void endDrag();
    void pressKey(WPARAM key);
    void turnWheel(int delta);
    void showTip();
    void closeKeyTip();

    HWND window_ = nullptr;
    bool layingOut_ = false;
    bool keyTip_ = false;  // the tip is shown for a held key
    int wheelDelta_ = 0;   // turned short of a notch
};

}  // namespace quorvane::win32
