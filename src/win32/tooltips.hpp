#pragma once

// The window's tooltips: the system's tooltip control, for child controls
// and for areas of the window itself (the captions it draws).

#include <windows.h>

#include <string_view>

namespace quorvane::win32 {

class ToolTips {
public:
    explicit ToolTips(HWND window);
    ~ToolTips();
    ToolTips(const ToolTips&) = delete;
    ToolTips& operator=(const ToolTips&) = delete;

    HWND handle() const noexcept { return tips_; }
    // `text` (UTF-8) over the child window `control`.
    void addControl(HWND control, std::string_view text);
    // `text` over `area` of the window, known by `id`.
    void addArea(UINT_PTR id, const RECT& area, std::string_view text);
    void setAreaText(UINT_PTR id, std::string_view text);

private:
    HWND window_;
    HWND tips_ = nullptr;
};

}  // namespace quorvane::win32
