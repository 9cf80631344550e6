#pragma once

// Where everything sits on the main window, in pixels of its client area.
// The window places its controls from these tables and the artwork tool
// draws the background from the same tables, so the two always agree.
// Plain C++: the artwork tool and the tests include it too.

#include <array>
#include <string_view>

#include "slider/stored_sliders.hpp"

namespace quorvane::ui::layout {

struct Box {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    constexpr int right() const { return left + width; }   // one past the last column
    constexpr int bottom() const { return top + height; }  // one past the last row
};

inline constexpr int kWindowWidth = 566;
inline constexpr int kWindowHeight = 400;

// The picture buttons: their released and pressed bitmaps (by resource
// name) and their places. A button is as large as its bitmaps.
struct ButtonPlace {
    std::string_view control;
    std::string_view released;
    std::string_view pressed;
    std::string_view caption;  // drawn on the bitmaps; empty for the glyph buttons
    Box box;
};

enum Button { Source = 0, Dest, CutAll, CutOne, Minimise, Exit, Play, ButtonCount };

inline constexpr std::array<ButtonPlace, ButtonCount> kButtons{{
    {"Image1", "SOURCE", "SOURCEDW", "SOURCE", {55, 22, 110, 45}},
    {"Image2", "DEST", "DESTDW", "DEST", {55, 67, 110, 45}},
    {"Image3", "CUTALL", "CUTALLDW", "CUT ALL", {55, 112, 110, 45}},
    {"Image4", "CUTONE", "CUTONEDW", "CUT ONE", {427, 282, 110, 45}},
    {"Image5", "MINUP", "MINDW", "", {526, 4, 14, 18}},
    {"Image6", "ENDUP", "ENDDW", "", {545, 4, 14, 18}},
    // Plays the seconds before the cut point, as the cut will end.
    {"ImagePlay", "PLAY", "PLAYDW", "", {252, 291, 24, 22}},
}};

// The three LEDs beside SOURCE, DEST and CUT ALL.
struct LedPlace {
    std::string_view lit;
    std::string_view dark;
    Box box;
};

inline constexpr std::array<LedPlace, 3> kLeds{{
    {"LEDON", "LEDOFF", {8, 21, 48, 47}},
    {"LEDON2", "LEDOFF2", {10, 67, 46, 45}},
    {"LEDON3", "LEDOFF3", {10, 113, 46, 45}},
}};

// The list, the two sliders and the captions.
inline constexpr Box kSongList{192, 94, 329, 171};
inline constexpr Box kCutPoint{288, 284, stored_sliders::kCutPoint.width, stored_sliders::kCutPoint.height};
inline constexpr Box kClipLength{34, 176, stored_sliders::kClipLength.width, stored_sliders::kClipLength.height};
inline constexpr Box kClipLengthCaption{77, 237, 19, 17};
inline constexpr Box kListedCountCaption{116, 305, 35, 17};
inline constexpr Box kCutPointTimeCaption{76, 322, 105, 15};
inline constexpr Box kCutCountCaption{113, 339, 57, 15};
inline constexpr Box kSongPathCaption{158, 340, 391, 13};
inline constexpr Box kSourceFolderCaption{8, 360, 551, 19};
inline constexpr Box kDestFolderCaption{6, 376, 250, 19};
// One line on what the last command did, right of the destination: wide
// enough for its longest sentence, so that only names in it are shortened.
inline constexpr Box kStatusCaption{262, 378, 292, 15};
// Room kept free at the right of the path captions for the artwork's tags
// (FILE, SOURCE, DESTINATION).
inline constexpr int kSongPathTag = 34;
inline constexpr int kSourceFolderTag = 52;
inline constexpr int kDestFolderTag = 82;
// The thin bar under it that follows a CUT ALL, and the brand artwork at the
// top (a right click on it shows the About box).
inline constexpr Box kBatchProgress{262, 394, 292, 3};
inline constexpr Box kBrand{196, 18, 320, 62};

// Resource paths: bitmaps by their upper-case names, the design's pictures,
// the program icon.
inline constexpr std::string_view kBitmapPrefix = ":/bitmaps/";
inline constexpr std::string_view kDesignPrefix = ":/design/";
inline constexpr std::string_view kBackground = ":/design/BACKGROUND";
inline constexpr std::string_view kIcon = ":/icons/QUORVANE";

}  // namespace quorvane::ui::layout
