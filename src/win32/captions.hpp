#pragma once

// The window's captions: white text drawn on the background where the
// layout puts them, shortened to fit (see workflow/caption_fit.hpp), each
// with its tooltip: what it is, or its whole text while it is shortened.

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/layout.hpp"

namespace quorvane::win32 {

class ToolTips;

class Captions {
public:
    struct Place {
        const ui::layout::Box* box;
        int reserve = 0;         // pixels kept free at the right for the artwork's tag
        bool sentences = false;  // shortened inside the names it gives, not in its words
        std::string_view description;
    };

    // The captions at `places` of `window`, drawn with `font`.
    Captions(HWND window, HFONT font, ToolTips& tips, const std::vector<Place>& places);

    // Shows `text` in caption `index`; `names` gives the names a caption of
    // sentences may shorten.
    void show(std::size_t index, const std::string& text, const std::function<std::vector<std::string>()>& names);
    // The caption drawn at `box`, as it is shown; empty for none.
    std::string shown(const ui::layout::Box& box) const;
    void paint(HDC dc) const;
    // Whether `at` (in the window's pixels) lies on a caption.
    bool contain(POINT at) const;

private:
    struct Caption {
        Place place;
        std::string text;
        std::string shown;
    };
    int textWidth(std::string_view text) const;

    HWND window_;
    HFONT font_;
    ToolTips& tips_;
    std::vector<Caption> captions_;
};

}  // namespace quorvane::win32
