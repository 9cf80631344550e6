#include "win32/song_list.hpp"

#include "win32/wide_text.hpp"
#include "win32/window_handler.hpp"

namespace quorvane::win32 {

namespace {

// The colours of the background's well.
constexpr COLORREF kWell = RGB(0x12, 0x14, 0x18);
constexpr COLORREF kText = RGB(0xf2, 0xf4, 0xf7);
constexpr COLORREF kMarked = RGB(0x0f, 0x6f, 0x82);
constexpr COLORREF kMarkedText = RGB(0xff, 0xff, 0xff);
constexpr int kTextIndent = 3;

}  // namespace

SongList::SongList(HWND parent, int id, HFONT font) : font_(font), wellBrush_(::CreateSolidBrush(kWell)) {
    const ui::layout::Box& box = ui::layout::kSongList;
    window_ = ::CreateWindowExW(0, L"LISTBOX", L"MIDI files",
                                WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_OWNERDRAWFIXED |
                                    LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT,
                                box.left, box.top, box.width, box.height, parent, childId(id),
                                ::GetModuleHandleW(nullptr), nullptr);
    ::SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
}

SongList::~SongList() {
    ::DestroyWindow(window_);
    ::DeleteObject(wellBrush_);
}

int SongList::count() const { return static_cast<int>(::SendMessageW(window_, LB_GETCOUNT, 0, 0)); }

std::string SongList::row(int index) const {
    const LRESULT length = ::SendMessageW(window_, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    ::SendMessageW(window_, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length));
    return narrow(text);
}

void SongList::setRows(const std::vector<std::string>& rows) {
    bool same = count() == static_cast<int>(rows.size());
    for (int k = 0; same && k < count(); ++k) same = row(k) == rows[static_cast<std::size_t>(k)];
    if (same) return;
    ::SendMessageW(window_, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(window_, LB_RESETCONTENT, 0, 0);
    for (const std::string& text : rows) {
        const std::wstring wide = widen(text);
        ::SendMessageW(window_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
    }
    ::SendMessageW(window_, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(window_, nullptr, TRUE);
}

int SongList::currentRow() const { return static_cast<int>(::SendMessageW(window_, LB_GETCURSEL, 0, 0)); }

void SongList::markRow(int row) { ::SendMessageW(window_, LB_SETCURSEL, static_cast<WPARAM>(row), 0); }

void SongList::drawItem(const DRAWITEMSTRUCT& item) const {
    const bool marked = (item.itemState & ODS_SELECTED) != 0;
    ::SetDCBrushColor(item.hDC, marked ? kMarked : kWell);
    ::FillRect(item.hDC, &item.rcItem, static_cast<HBRUSH>(::GetStockObject(DC_BRUSH)));
    if (item.itemID == static_cast<UINT>(-1)) return;
    const std::wstring text = widen(row(static_cast<int>(item.itemID)));
    HGDIOBJ old = ::SelectObject(item.hDC, font_);
    ::SetBkMode(item.hDC, TRANSPARENT);
    ::SetTextColor(item.hDC, marked ? kMarkedText : kText);
    RECT place = item.rcItem;
    place.left += kTextIndent;
    place.right -= kTextIndent;
    ::DrawTextW(item.hDC, text.c_str(), static_cast<int>(text.size()), &place,
                DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    ::SelectObject(item.hDC, old);
}

}  // namespace quorvane::win32
