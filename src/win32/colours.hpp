#pragma once

// The slider's colours (slider/slider_model.hpp) as GDI takes them.

#include <windows.h>

#include "slider/slider_model.hpp"

namespace quorvane::win32 {

// A colour of the design: 0x00BBGGRR as it is, or with the top bit set the
// system colour of index nn (0x800000nn).
inline COLORREF colourRef(Colour colour) {
    if ((colour & 0x80000000u) != 0) return ::GetSysColor(static_cast<int>(colour & 0xFFu));
    return static_cast<COLORREF>(colour & 0x00FFFFFFu);
}

inline void fill(HDC dc, const RECT& box, Colour colour) {
    ::SetDCBrushColor(dc, colourRef(colour));
    ::FillRect(dc, &box, static_cast<HBRUSH>(::GetStockObject(DC_BRUSH)));
}

}  // namespace quorvane::win32
