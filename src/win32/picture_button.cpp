#include "win32/picture_button.hpp"

#include <windowsx.h>

#include "win32/skin.hpp"
#include "win32/window_handler.hpp"
#include "win32/wide_text.hpp"

namespace quorvane::win32 {

namespace {

constexpr wchar_t kClassName[] = L"QuorvanePictureButton";
constexpr COLORREF kWaitingShade = RGB(0x12, 0x14, 0x18);  // the list's dark well
constexpr int kWaitingAlpha = 170;

// Darkens every pixel of the bitmap towards `shade` by `alpha` of 255.
void shade(const Bitmap& bitmap, COLORREF colour, int alpha) {
    auto* pixel = static_cast<BYTE*>(bitmap.pixels());
    const BYTE target[3] = {GetBValue(colour), GetGValue(colour), GetRValue(colour)};
    for (int k = 0; k < bitmap.width() * bitmap.height(); ++k, pixel += 4) {
        for (int c = 0; c < 3; ++c) pixel[c] = static_cast<BYTE>((pixel[c] * (255 - alpha) + target[c] * alpha) / 255);
    }
}

}  // namespace

PictureButton::PictureButton(HWND parent, int id, const ui::layout::ButtonPlace& place, Skin& skin,
                             const Bitmap& background)
    : id_(id), place_(place), skin_(skin), background_(background) {
    static const bool kRegistered = registerClass(kClassName, &PictureButton::procedure, IDC_HAND);
    (void)kRegistered;
    const ui::layout::Box& box = place.box;
    const std::wstring name = widen(place.caption.empty() ? place.released : place.caption);
    window_ = ::CreateWindowExW(0, kClassName, name.c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP, box.left, box.top,
                                box.width, box.height, parent, childId(id), ::GetModuleHandleW(nullptr), nullptr);
    setHandler(window_, this);
}

PictureButton::~PictureButton() {
    if (::IsWindow(window_)) {
        setHandler(window_, nullptr);
        ::DestroyWindow(window_);
    }
}

LRESULT CALLBACK PictureButton::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = handlerOf<PictureButton>(window);
    return self ? self->handle(message, wParam, lParam) : ::DefWindowProcW(window, message, wParam, lParam);
}

bool PictureButton::pressesButton(WPARAM key) {
    // With Ctrl or Alt, Space and Enter are the window's shortcuts instead.
    return (key == VK_SPACE || key == VK_RETURN) && ::GetKeyState(VK_CONTROL) >= 0 && ::GetKeyState(VK_MENU) >= 0;
}

void PictureButton::paint(HDC target, int x, int y) const {
    const RECT box{0, 0, place_.box.width, place_.box.height};
    Bitmap look(box.right, box.bottom);
    HDC memory = ::CreateCompatibleDC(target);
    HGDIOBJ old = ::SelectObject(memory, look.handle());
    if (pictureName_.empty()) {
        background_.drawPart(memory, RECT{place_.box.left, place_.box.top, place_.box.right(), place_.box.bottom()},
                             -place_.box.left, -place_.box.top);
    } else {
        skin_.picture(pictureName_).draw(memory, 0, 0);
    }
    ::GdiFlush();
    if (!::IsWindowEnabled(window_)) shade(look, kWaitingShade, kWaitingAlpha);
    ::BitBlt(target, x, y, box.right, box.bottom, memory, 0, 0, SRCCOPY);
    ::SelectObject(memory, old);
    ::DeleteDC(memory);
}

void PictureButton::showPicture(std::string_view name) {
    pictureName_ = std::string(name);
    // A picture control takes the size of its picture.
    const Bitmap& picture = skin_.picture(name);
    if (picture.width() != place_.box.width || picture.height() != place_.box.height) {
        place_.box.width = picture.width();
        place_.box.height = picture.height();
        ::SetWindowPos(window_, nullptr, 0, 0, picture.width(), picture.height(),
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ::InvalidateRect(window_, nullptr, FALSE);
}

void PictureButton::click() { ::PostMessageW(::GetParent(window_), WM_COMMAND, MAKEWPARAM(id_, BN_CLICKED), 0); }

LRESULT PictureButton::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paintStruct;
            HDC dc = ::BeginPaint(window_, &paintStruct);
            paint(dc, 0, 0);
            ::EndPaint(window_, &paintStruct);
            return 0;
        }
        case WM_ERASEBKGND: return 1;
        case WM_ENABLE: ::InvalidateRect(window_, nullptr, FALSE); return 0;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            if (message == WM_LBUTTONDOWN) leftPressed_ = true;
            ::SetCapture(window_);
            showPicture(place_.pressed);
            return 0;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP: {
            const bool wasPressed = leftPressed_ && message == WM_LBUTTONUP;
            if (message == WM_LBUTTONUP) leftPressed_ = false;
            showPicture(place_.released);
            if (::GetCapture() == window_) ::ReleaseCapture();  // WM_CAPTURECHANGED forgets the press
            RECT inside;
            ::GetClientRect(window_, &inside);
            if (wasPressed && ::PtInRect(&inside, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)})) click();
            return 0;
        }
        case WM_CAPTURECHANGED: leftPressed_ = false; return 0;
        case WM_MOUSEMOVE:
            if (onMouseMoved) onMouseMoved();
            return 0;
        case WM_GETDLGCODE:
            // Enter presses the button that has the focus, not a default button.
            return DLGC_BUTTON | (pressesButton(wParam) ? DLGC_WANTMESSAGE : 0);
        case WM_KEYDOWN:
            if (!pressesButton(wParam)) break;
            if ((lParam & (1 << 30)) == 0 && !keyPressed_) {  // not a repeat
                keyPressed_ = true;
                showPicture(place_.pressed);
            }
            return 0;
        case WM_KEYUP:
            if (!pressesButton(wParam) || !keyPressed_) break;
            keyPressed_ = false;
            showPicture(place_.released);
            click();
            return 0;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            // The focus left while the key was held: the press is let go, unclicked.
            if (message == WM_KILLFOCUS && keyPressed_) {
                keyPressed_ = false;
                showPicture(place_.released);
            }
            return 0;
        default: break;
    }
    return ::DefWindowProcW(window_, message, wParam, lParam);
}

}  // namespace quorvane::win32
