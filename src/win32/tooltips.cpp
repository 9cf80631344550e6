#include "win32/tooltips.hpp"

#include <commctrl.h>

#include <string>

#include "win32/wide_text.hpp"

namespace quorvane::win32 {

namespace {
constexpr int kWidest = 360;  // pixels; longer tips wrap
}  // namespace

ToolTips::ToolTips(HWND window) : window_(window) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    tips_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr,
                              ::GetModuleHandleW(nullptr), nullptr);
    ::SendMessageW(tips_, TTM_SETMAXTIPWIDTH, 0, kWidest);
}

ToolTips::~ToolTips() { ::DestroyWindow(tips_); }

void ToolTips::addControl(HWND control, std::string_view text) {
    std::wstring wide = widen(text);
    TOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = window_;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = wide.data();
    ::SendMessageW(tips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void ToolTips::addArea(UINT_PTR id, const RECT& area, std::string_view text) {
    std::wstring wide = widen(text);
    TOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = window_;
    tool.uId = id;
    tool.rect = area;
    tool.lpszText = wide.data();
    ::SendMessageW(tips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void ToolTips::setAreaText(UINT_PTR id, std::string_view text) {
    std::wstring wide = widen(text);
    TOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = window_;
    tool.uId = id;
    tool.lpszText = wide.data();
    ::SendMessageW(tips_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

}  // namespace quorvane::win32
