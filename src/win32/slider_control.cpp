#include "win32/slider_control.hpp"

#include <windowsx.h>

#include <algorithm>
#include <optional>
#include <type_traits>

#include "slider/slider_keys.hpp"
#include "win32/colours.hpp"
#include "win32/window_handler.hpp"
#include "win32/skin.hpp"
#include "win32/value_tip.hpp"

namespace quorvane::win32 {

namespace {

namespace geometry = slider_geometry;

constexpr wchar_t kClassName[] = L"QuorvaneSlider";

std::optional<SliderKey> sliderKey(WPARAM key) {
    switch (key) {
        case VK_UP:
        case VK_RIGHT: return SliderKey::StepUp;
        case VK_DOWN:
        case VK_LEFT: return SliderKey::StepDown;
        case VK_PRIOR: return SliderKey::PageUp;
        case VK_NEXT: return SliderKey::PageDown;
        case VK_HOME: return SliderKey::First;
        case VK_END: return SliderKey::Last;
        default: return std::nullopt;
    }
}

bool withShortcutModifier() { return ::GetKeyState(VK_CONTROL) < 0 || ::GetKeyState(VK_MENU) < 0; }

}  // namespace

SliderControl::SliderControl(HWND parent, const ui::layout::Box& box, int id) {
    static const bool kRegistered = registerClass(kClassName, &SliderControl::procedure);
    (void)kRegistered;
    window_ = ::CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, box.left, box.top, box.width,
                                box.height, parent, childId(id), ::GetModuleHandleW(nullptr), nullptr);
    setHandler(window_, this);
}

SliderControl::~SliderControl() {
    if (dragging() || keyTip_) ValueTip::dismiss();
    setHandler(window_, nullptr);
    ::DestroyWindow(window_);
}

std::int32_t SliderControl::surfaceWidth() const {
    RECT client{};
    ::GetClientRect(window_, &client);
    return client.right;
}

std::int32_t SliderControl::surfaceHeight() const {
    RECT client{};
    ::GetClientRect(window_, &client);
    return client.bottom;
}

void SliderControl::layoutSlider() {
    // Resizing ourselves sends WM_SIZE, which would start the same pass again.
    if (layingOut_) return;
    layingOut_ = true;
    if (const auto wanted = geometry::layoutSize(currentShape())) {
        const int width = std::max(0, wanted->width);
        const int height = std::max(0, wanted->height);
        if (width != surfaceWidth() || height != surfaceHeight()) {
            ::SetWindowPos(window_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    const auto thumb = geometry::placeOnSurface(currentShape());
    setThumbPosition(thumb.left, thumb.top);
    layingOut_ = false;
    drawSlider();
}

void SliderControl::drawSlider() {
    ::InvalidateRect(window_, nullptr, FALSE);
    const auto plan = geometry::planDrawing(currentShape());
    if (std::holds_alternative<geometry::ShowValueTip>(plan.back())) showTip();
}

void SliderControl::paint(HDC target, int x, int y) const {
    const int width = surfaceWidth();
    const int height = surfaceHeight();
    if (width <= 0 || height <= 0) return;
    Bitmap surface(width, height);
    HDC memory = ::CreateCompatibleDC(target);
    HGDIOBJ old = ::SelectObject(memory, surface.handle());
    for (const auto& step : geometry::planDrawing(currentShape())) {
        std::visit(
            [&](const auto& s) {
                using Step = std::decay_t<decltype(s)>;
                if constexpr (std::is_same_v<Step, geometry::ClearSurface>) {
                    fill(memory, RECT{0, 0, width, height}, s.colour);
                } else if constexpr (std::is_same_v<Step, geometry::PaintRailPicture>) {
                    if (const Bitmap* rail = bitmapOf(railPicture())) rail->draw(memory, s.x, s.y);
                } else if constexpr (std::is_same_v<Step, geometry::PaintThumb>) {
                    if (const Bitmap* thumb = bitmapOf(sliderIcon())) thumb->draw(memory, s.x, s.y);
                }
            },
            step);
    }
    ::BitBlt(target, x, y, width, height, memory, 0, 0, SRCCOPY);
    ::SelectObject(memory, old);
    ::DeleteDC(memory);
}

void SliderControl::showTip() {
    POINT origin{0, 0};
    ::ClientToScreen(window_, &origin);
    const auto shape = currentShape();
    ValueTip::show(window_, valueTipText(), [&](SIZE label) {
        const auto place = geometry::placeTip(shape, origin.x, origin.y, {label.cx, label.cy});
        return RECT{place.x, place.y, place.x + place.width, place.y + place.height};
    });
}

void SliderControl::dragCancelled() { ValueTip::dismiss(); }

void SliderControl::endDrag() {
    if (!dragging()) return;
    setDragging(false);
    ValueTip::dismiss();
    keyTip_ = false;
}

void SliderControl::pressKey(WPARAM key) {
    const std::optional<SliderKey> sliderStep = sliderKey(key);
    if (!acceptsInput() || dragging() || !sliderStep) return;
    setValue(valueAfterKey(value(), min(), max(), *sliderStep));
    // A ValueChanged handler may have disabled the slider.
    if (acceptsInput() && ::GetFocus() == window_) {
        keyTip_ = true;
        showTip();
    }
}

void SliderControl::turnWheel(int delta) {
    if (!acceptsInput() || dragging()) return;
    wheelDelta_ += delta;
    const int notches = wheelDelta_ / WHEEL_DELTA;
    if (notches == 0) return;
    wheelDelta_ -= notches * WHEEL_DELTA;
    setValue(static_cast<std::int32_t>(std::clamp<std::int64_t>(std::int64_t{value()} + notches, min(), max())));
}

void SliderControl::closeKeyTip() {
    if (!keyTip_) return;
    keyTip_ = false;
    if (!dragging()) ValueTip::dismiss();
}

LRESULT CALLBACK SliderControl::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = handlerOf<SliderControl>(window);
    return self ? self->handle(message, wParam, lParam) : ::DefWindowProcW(window, message, wParam, lParam);
}

LRESULT SliderControl::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    const auto x = static_cast<float>(GET_X_LPARAM(lParam));
    const auto y = static_cast<float>(GET_Y_LPARAM(lParam));
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paintStruct;
            HDC dc = ::BeginPaint(window_, &paintStruct);
            paint(dc, 0, 0);
            ::EndPaint(window_, &paintStruct);
            return 0;
        }
        case WM_ERASEBKGND: return 1;
        case WM_SIZE: layoutSlider(); return 0;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            // The press is always taken, so that the release comes back here
            // even while the slider ignores presses.
            ::SetCapture(window_);
            ::SetFocus(window_);
            // A ValueChanged handler may have disabled the slider, ending the drag.
            if (acceptsInput() && message == WM_LBUTTONDOWN && pressAt(x, y)) showTip();
            return 0;
        case WM_MOUSEMOVE:
            // A disabled slider moves nothing, even under a button pressed before.
            if (dragging() && acceptsInput()) dragTo(x, y);
            return 0;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
            // Any button's release ends the drag.
            endDrag();
            if (::GetCapture() == window_) ::ReleaseCapture();
            return 0;
        case WM_CAPTURECHANGED: endDrag(); return 0;
        case WM_GETDLGCODE: return DLGC_WANTARROWS;
        case WM_KEYDOWN:
            if (!sliderKey(wParam) || withShortcutModifier()) break;  // a shortcut of the window, perhaps
            pressKey(wParam);
            return 0;
        case WM_KEYUP:
            if (!sliderKey(wParam)) break;
            closeKeyTip();
            return 0;
        case WM_MOUSEWHEEL: turnWheel(GET_WHEEL_DELTA_WPARAM(wParam)); return 0;
        case WM_KILLFOCUS: closeKeyTip(); return 0;
        default: break;
    }
    return ::DefWindowProcW(window_, message, wParam, lParam);
}

}  // namespace quorvane::win32
