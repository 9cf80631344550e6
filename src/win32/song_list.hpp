#pragma once

// The list of songs: the system's list box, drawn by the window in the dark
// well of the background with the well's colours.

#include <windows.h>

#include <string>
#include <vector>

#include "ui/layout.hpp"

namespace quorvane::win32 {

class SongList {
public:
    // A child of `parent` at the layout's place; its notifications (a row
    // chosen: LBN_SELCHANGE) go to the parent as WM_COMMAND with `id`.
    SongList(HWND parent, int id, HFONT font);
    ~SongList();
    SongList(const SongList&) = delete;
    SongList& operator=(const SongList&) = delete;

    HWND handle() const noexcept { return window_; }
    int count() const;
    std::string row(int index) const;
    // Shows `rows` (UTF-8), unless it shows them already.
    void setRows(const std::vector<std::string>& rows);
    // The marked row, -1 for none.
    int currentRow() const;
    void markRow(int row);

    // The parent's answers to the list's WM_DRAWITEM and WM_CTLCOLORLISTBOX
    // (a row is as high as the font: the parent answers WM_MEASUREITEM).
    void drawItem(const DRAWITEMSTRUCT& item) const;
    HBRUSH background() const noexcept { return wellBrush_; }

private:
    HWND window_ = nullptr;
    HFONT font_;
    HBRUSH wellBrush_;
};

}  // namespace quorvane::win32
