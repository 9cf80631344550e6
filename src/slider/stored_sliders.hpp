#pragma once

// The main window's two sliders as designed: colour, orientation, range and
// value, the pictures by resource name and size, and the outer size
// the window keeps for each. Plain C++ and the only place these facts are
// written: the window loads its sliders from it (SliderModel::LoadDesign), the
// window-free workflow gives its own sliders the same ranges, and the artwork
// tool draws the pictures to these sizes.

#include <cstdint>
#include <string_view>

#include "slider/slider_model.hpp"

namespace quorvane::stored_sliders {

struct StoredPicture {
    std::string_view name;  // resource name
    std::int32_t width = 0;
    std::int32_t height = 0;
};

struct StoredSlider {
    std::string_view control;
    std::int32_t width = 0;  // outer size in pixels
    std::int32_t height = 0;
    Colour backColor = kButtonFaceColour;
    std::int32_t orientation = SliderModel::kVertical;
    StoredPicture thumb;
    StoredPicture rail;
    std::int32_t min = 0;
    std::int32_t max = 10;
    std::int32_t value = 0;
};

// Where CUT ONE cuts the current song.
inline constexpr StoredSlider kCutPoint{
    "Segmento", 124, 21, 0x555555, SliderModel::kHorizontal, {"SEGMENTOTHUMB", 12, 21}, {"SEGMENTORAIL", 124, 13},
    0,          100, 0};
// How many seconds CUT ALL keeps of each song.
inline constexpr StoredSlider kClipLength{
    "Choose", 20, 74, 0x676767, SliderModel::kVertical, {"CHOOSETHUMB", 20, 10}, {"CHOOSERAIL", 9, 74}, 0, 59, 30};

// An empty range would leave a slider that refuses every value its thumb gives.
static_assert(kCutPoint.min < kCutPoint.max && kClipLength.min < kClipLength.max);

}  // namespace quorvane::stored_sliders
