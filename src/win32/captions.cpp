#include "win32/captions.hpp"

#include <algorithm>

#include "workflow/caption_fit.hpp"
#include "win32/tooltips.hpp"
#include "win32/wide_text.hpp"

namespace quorvane::win32 {

namespace {

constexpr COLORREF kCaptionText = RGB(0xff, 0xff, 0xff);

RECT rectOf(const ui::layout::Box& box) { return RECT{box.left, box.top, box.right(), box.bottom()}; }

}  // namespace

Captions::Captions(HWND window, HFONT font, ToolTips& tips, const std::vector<Place>& places)
    : window_(window), font_(font), tips_(tips) {
    for (const Place& place : places) {
        tips_.addArea(captions_.size() + 1, rectOf(*place.box), place.description);
        captions_.push_back({place, {}, {}});
    }
}

int Captions::textWidth(std::string_view text) const {
    const std::wstring wide = widen(text);
    HDC dc = ::GetDC(window_);
    HGDIOBJ old = ::SelectObject(dc, font_);
    SIZE size{};
    ::GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    ::SelectObject(dc, old);
    ::ReleaseDC(window_, dc);
    return size.cx;
}

void Captions::show(std::size_t index, const std::string& text,
                    const std::function<std::vector<std::string>()>& names) {
    Caption& caption = captions_.at(index);
    if (text == caption.text && !caption.shown.empty()) return;
    caption.text = text;
    const Place& place = caption.place;
    const int room = std::max(0, place.box->width - place.reserve);
    const TextWidth width = [this](std::string_view t) { return textWidth(t); };
    caption.shown = place.sentences ? shortenCaption(text, room, names(), width) : elideMiddle(text, room, width);
    // A shortened caption's tooltip is its whole text.
    tips_.setAreaText(index + 1, caption.shown != caption.text ? std::string_view(caption.text) : place.description);
    const RECT box = rectOf(*place.box);
    ::InvalidateRect(window_, &box, FALSE);
}

std::string Captions::shown(const ui::layout::Box& box) const {
    for (const Caption& caption : captions_) {
        if (caption.place.box == &box) return caption.shown;
    }
    return {};
}

void Captions::paint(HDC dc) const {
    HGDIOBJ old = ::SelectObject(dc, font_);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, kCaptionText);
    for (const Caption& caption : captions_) {
        const std::wstring text = widen(caption.shown);
        RECT box = rectOf(*caption.place.box);
        ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box,
                    DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
    }
    ::SelectObject(dc, old);
}

bool Captions::contain(POINT at) const {
    return std::any_of(captions_.begin(), captions_.end(), [at](const Caption& caption) {
        const ui::layout::Box& box = *caption.place.box;
        return at.x >= box.left && at.x < box.right() && at.y >= box.top && at.y < box.bottom();
    });
}

}  // namespace quorvane::win32
