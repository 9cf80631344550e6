#include "win32/value_tip.hpp"

#include <algorithm>
#include <memory>

#include "slider/slider_geometry.hpp"
#include "win32/colours.hpp"
#include "win32/window_handler.hpp"
#include "win32/wide_text.hpp"

namespace quorvane::win32 {

namespace {

constexpr wchar_t kClassName[] = L"QuorvaneValueTip";
constexpr Colour kTipBackground = 0x80000018u;    // tooltip background
constexpr Colour kLabelText = 0x80000008u;        // window text
constexpr Colour kLabelBackground = 0x80000005u;  // window
constexpr int kLabelHeight = 12;                  // as designed

std::unique_ptr<ValueTip>& sharedTip() {
    static std::unique_ptr<ValueTip> tip;
    return tip;
}

}  // namespace

ValueTip::ValueTip(HWND owner) {
    static const bool kRegistered = registerClass(kClassName, &ValueTip::procedure);
    (void)kRegistered;
    // Verdana 6.75 points: 9 pixels at 96 pixels per inch.
    font_ = ::CreateFontW(-9, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                          CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS, L"Verdana");
    window_ = ::CreateWindowExW(WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, kClassName, L"", WS_POPUP, 0, 0,
                                32, 15, owner, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    setHandler(window_, this);
}

ValueTip::~ValueTip() {
    setHandler(window_, nullptr);
    ::DestroyWindow(window_);
    ::DeleteObject(font_);
}

ValueTip& ValueTip::open(HWND owner) {
    std::unique_ptr<ValueTip>& tip = sharedTip();
    HWND topLevel = ::GetAncestor(owner, GA_ROOT);
    if (tip && ::GetWindow(tip->window_, GW_OWNER) != topLevel) tip.reset();
    if (!tip) tip.reset(new ValueTip(topLevel));
    return *tip;
}

void ValueTip::dismiss() { sharedTip().reset(); }

HWND ValueTip::current() noexcept { return sharedTip() ? sharedTip()->window_ : nullptr; }

std::string ValueTip::shownText() { return sharedTip() ? narrow(sharedTip()->text_) : std::string(); }

SIZE ValueTip::setText(const std::string& text) {
    text_ = widen(text);
    HDC dc = ::GetDC(window_);
    HGDIOBJ old = ::SelectObject(dc, font_);
    SIZE size{};
    ::GetTextExtentPoint32W(dc, text_.c_str(), static_cast<int>(text_.size()), &size);
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    ::SelectObject(dc, old);
    ::ReleaseDC(window_, dc);
    // The label keeps its designed height unless the font needs more.
    label_ = SIZE{size.cx, std::max<LONG>(kLabelHeight, metrics.tmHeight)};
    return label_;
}

void ValueTip::moveTo(const RECT& frame) {
    ::SetWindowPos(window_, HWND_TOPMOST, frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top,
                   SWP_NOACTIVATE | SWP_SHOWWINDOW);
    ::InvalidateRect(window_, nullptr, FALSE);
    ::UpdateWindow(window_);
}

void ValueTip::paint(HDC dc) const {
    RECT all;
    ::GetClientRect(window_, &all);
    fill(dc, all, kTipBackground);
    for (const auto& line : slider_geometry::tipFrameLines({all.right, all.bottom})) {
        fill(dc, RECT{line.x1, line.y1, line.x2 + 1, line.y2 + 1}, line.colour);
    }
    const RECT label{slider_geometry::kTipLabelLeft, slider_geometry::kTipLabelTop,
                     slider_geometry::kTipLabelLeft + label_.cx, slider_geometry::kTipLabelTop + label_.cy};
    fill(dc, label, kLabelBackground);
    HGDIOBJ old = ::SelectObject(dc, font_);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, colourRef(kLabelText));
    ::TextOutW(dc, label.left, label.top, text_.c_str(), static_cast<int>(text_.size()));
    ::SelectObject(dc, old);
}

LRESULT CALLBACK ValueTip::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto* self = handlerOf<const ValueTip>(window);
    switch (message) {
        case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
        case WM_NCHITTEST: return HTTRANSPARENT;  // the pointer's events go to what lies below
        case WM_ERASEBKGND: return 1;
        case WM_PAINT: {
            PAINTSTRUCT paintStruct;
            HDC dc = ::BeginPaint(window, &paintStruct);
            if (self) self->paint(dc);
            ::EndPaint(window, &paintStruct);
            return 0;
        }
        default: return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace quorvane::win32
