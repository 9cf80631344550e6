#include "win32/window_keys.hpp"

#include <array>
#include <string>

#include "ui/layout.hpp"

namespace quorvane::win32 {

namespace {

namespace layout = ui::layout;

constexpr int kRingMargin = 3;  // room between the control and the ring

bool isPictureButton(HWND control) {
    std::wstring name(64, L'\0');
    name.resize(static_cast<std::size_t>(::GetClassNameW(control, name.data(), static_cast<int>(name.size()))));
    return name == L"QuorvanePictureButton";
}

bool modifierDown() {
    return ::GetKeyState(VK_CONTROL) < 0 || ::GetKeyState(VK_MENU) < 0 || ::GetKeyState(VK_SHIFT) < 0;
}

// The part of the window the ring around `control` covers.
RECT areaAround(HWND window, HWND control) {
    RECT box;
    ::GetWindowRect(control, &box);
    ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&box), 2);
    ::InflateRect(&box, kRingMargin, kRingMargin);
    return box;
}

}  // namespace

WindowKeys::WindowKeys(HWND window, int firstButtonId) : window_(window) {
    const auto button = [firstButtonId](layout::Button which) { return static_cast<WORD>(firstButtonId + which); };
    std::array<ACCEL, 9> table{{
        {FCONTROL | FVIRTKEY, 'O', button(layout::Source)},
        {FCONTROL | FVIRTKEY, 'D', button(layout::Dest)},
        {FCONTROL | FVIRTKEY, VK_RETURN, button(layout::CutOne)},
        {FCONTROL | FSHIFT | FVIRTKEY, VK_RETURN, button(layout::CutAll)},
        {FVIRTKEY, VK_ESCAPE, StopBatch},
        {FVIRTKEY, VK_F5, ListAgain},
        {FCONTROL | FVIRTKEY, 'Q', Quit},
        {FVIRTKEY, VK_F1, About},
        {FVIRTKEY, VK_SPACE, button(layout::Play)},
    }};
    shortcuts_ = ::CreateAcceleratorTableW(table.data(), static_cast<int>(table.size()));
}

WindowKeys::~WindowKeys() { ::DestroyAcceleratorTable(shortcuts_); }

bool WindowKeys::translate(const MSG& message) {
    if (message.hwnd != window_ && !::IsChild(window_, message.hwnd)) return false;
    switch (message.message) {
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            // A mouse user sees the window as it always was.
            surround(nullptr);
            return false;
        case WM_KEYDOWN:
            if (message.wParam == VK_TAB && ::GetKeyState(VK_CONTROL) >= 0 && ::GetKeyState(VK_MENU) >= 0) {
                const bool back = ::GetKeyState(VK_SHIFT) < 0;
                HWND focus = ::GetFocus();
                HWND next = ::GetNextDlgTabItem(window_, focus == window_ ? nullptr : focus, back);
                if (next) {
                    ::SetFocus(next);
                    surround(next);
                }
                return true;
            }
            // A picture button with the focus presses itself with Space.
            if (message.wParam == VK_SPACE && !modifierDown() && isPictureButton(message.hwnd)) return false;
            break;
        default: break;
    }
    MSG copy = message;
    return ::TranslateAcceleratorW(window_, shortcuts_, &copy) != 0;
}

RECT WindowKeys::ringArea() const { return ring_ ? areaAround(window_, ring_) : RECT{}; }

void WindowKeys::surround(HWND control) {
    if (control == ring_) return;
    if (ring_) {
        const RECT old = ringArea();
        ::InvalidateRect(window_, &old, FALSE);
    }
    ring_ = control;
    if (ring_) {
        const RECT now = ringArea();
        ::InvalidateRect(window_, &now, FALSE);
    }
}

}  // namespace quorvane::win32
