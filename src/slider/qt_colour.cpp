#include "slider/qt_colour.hpp"

namespace quorvane {

QPalette::ColorRole systemColourRole(int index) {
    switch (index) {
        case 0: return QPalette::Midlight;          // scroll bar
        case 1: return QPalette::Dark;              // desktop
        case 2: return QPalette::Highlight;         // active caption
        case 3: return QPalette::Mid;               // inactive caption
        case 4: return QPalette::Window;            // menu
        case 5: return QPalette::Base;              // window
        case 6: return QPalette::Shadow;            // window frame
        case 7: return QPalette::WindowText;        // menu text
        case 8: return QPalette::WindowText;        // window text
        case 9: return QPalette::HighlightedText;   // caption text
        case 10: return QPalette::Button;           // active border
        case 11: return QPalette::Button;           // inactive border
        case 12: return QPalette::Mid;              // application workspace
        case 13: return QPalette::Highlight;        // highlight
        case 14: return QPalette::HighlightedText;  // highlighted text
        case 15: return QPalette::Button;           // button face
        case 16: return QPalette::Dark;             // button shadow
        case 17: return QPalette::PlaceholderText;  // grey text
        case 18: return QPalette::ButtonText;       // button text
        case 19: return QPalette::WindowText;       // inactive caption text
        case 20: return QPalette::Light;            // button highlight
        case 21: return QPalette::Shadow;           // 3-D dark shadow
        case 22: return QPalette::Midlight;         // 3-D light
        case 23: return QPalette::ToolTipText;      // tooltip text
        case 24: return QPalette::ToolTipBase;      // tooltip background
        case 26: return QPalette::Link;             // hot-tracked item
        case 27: return QPalette::Highlight;        // active caption gradient
        case 28: return QPalette::Mid;              // inactive caption gradient
        case 29: return QPalette::Highlight;        // menu highlight
        case 30: return QPalette::Window;           // menu bar
        default: return QPalette::Window;
    }
}

QColor toQColor(Colour colour, const QPalette& palette) {
    if ((colour & 0x80000000u) != 0) {
        return palette.color(QPalette::Active, systemColourRole(static_cast<int>(colour & 0xFFu)));
    }
    return QColor(static_cast<int>(colour & 0xFFu), static_cast<int>((colour >> 8) & 0xFFu),
                  static_cast<int>((colour >> 16) & 0xFFu));
}

}  // namespace quorvane
