#pragma once

// The slider's geometry without any window: sizing, thumb placement, the
// value a thumb position stands for, what a repaint draws, and where the
// value tip goes. Everything here is a pure function over a
// snapshot of the slider (SliderShape); the widget applies the results.
//
// A computation that cannot be made (a track of zero length, an empty range,
// an orientation other than horizontal or vertical, a result that does not
// fit in 32 bits) never divides by zero and never throws: the step is
// reported as "nothing" (an empty optional) and the caller goes on with its
// next step.

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "slider/slider_model.hpp"

namespace quorvane::slider_geometry {

struct Size {
    std::int32_t width = 0;
    std::int32_t height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

struct ThumbPosition {
    float left = 0.0f;
    float top = 0.0f;
    friend bool operator==(const ThumbPosition&, const ThumbPosition&) = default;
};

// Everything the geometry looks at, copied from a slider and its surface.
struct SliderShape {
    std::int32_t orientation = SliderModel::kVertical;
    std::int32_t min = 0;
    std::int32_t value = 0;
    std::int32_t valueRange = 10;
    Size surface;  // W x H, the control's client area
    bool thumbPresent = false;
    Size thumb;             // tw x th, the thumb picture's natural size
    ThumbPosition thumbAt;  // the thumb's current Left and Top
    bool railPicturePresent = false;
    Size railPicture;  // rw x rh
    Colour backColor = kButtonFaceColour;
    bool dragging = false;
};

// A snapshot of `slider` on a surface of the given size.
SliderShape shapeOf(const SliderModel& slider, Size surface);

// x rounded to the nearest integer, ties to the even neighbour (2.5 -> 2,
// 3.5 -> 4, -2.5 -> -2). Nothing when x is not finite or does not fit.
std::optional<std::int32_t> roundHalfEven(double x);

// The distance the thumb travels: W - tw (horizontal) or H - th (vertical).
// Nothing for any other orientation.
std::optional<std::int32_t> trackLength(const SliderShape& shape);

// Where the thumb belongs for shape.value along the track: its Left
// (horizontal) or its Top (vertical, Min at the bottom). Nothing when the
// range is empty or the orientation is neither.
std::optional<float> positionForValue(const SliderShape& shape);

// The thumb moved along its track to where shape.value belongs; unchanged
// when that cannot be computed.
ThumbPosition placeThumbForValue(const SliderShape& shape);

// The value the thumb's current position stands for, and the thumb snapped
// to that value's position.
struct SnappedValue {
    // Nothing when no value can be read from the position (zero track, empty
    // range, other orientation); the thumb is then left where it is. A value
    // always lies between min and min + valueRange.
    std::optional<std::int32_t> value;
    ThumbPosition thumb;
};
SnappedValue valueFromPosition(const SliderShape& shape);

// The size the control gives itself: the rail picture's length, or without
// one the length its host gave it; across, the larger of thumb and rail.
// Nothing when it keeps its size (any orientation other than horizontal or
// vertical).
std::optional<Size> layoutSize(const SliderShape& shape);

// The thumb placed across the track: centred on a taller (wider) rail
// picture, else against the top (left) edge.
ThumbPosition crossAxisPosition(const SliderShape& shape);

// The layout pass after the sizing (layoutSize), on the surface as it is:
// the thumb placed across and along its track.
ThumbPosition placeOnSurface(const SliderShape& shape);

// --- Painting -------------------------------------------------------------

// System colours of the tip's frame (0x800000nn names index nn).
inline constexpr Colour kDarkShadow3D = 0x80000015u;  // 21
inline constexpr Colour kLight3D = 0x80000016u;       // 22

struct ClearSurface {
    Colour colour;
    friend bool operator==(const ClearSurface&, const ClearSurface&) = default;
};
struct PaintRailPicture {
    std::int32_t x, y;  // top-left corner, whole pixels
    friend bool operator==(const PaintRailPicture&, const PaintRailPicture&) = default;
};
struct PaintThumb {
    std::int32_t x, y;
    friend bool operator==(const PaintThumb&, const PaintThumb&) = default;
};
struct ShowValueTip {
    friend bool operator==(const ShowValueTip&, const ShowValueTip&) = default;
};
using PaintStep = std::variant<ClearSurface, PaintRailPicture, PaintThumb, ShowValueTip>;

// What a repaint does, in order: clear to BackColor, the rail picture
// centred across the track, the thumb over it, then the value tip while it
// is dragged.
std::vector<PaintStep> planDrawing(const SliderShape& shape);

// --- Pointer --------------------------------------------------------------

// True when (x, y) lies on the thumb.
bool hitsThumb(const SliderShape& shape, float x, float y);

// The thumb moved so that the grab point follows the pointer, clamped to the
// track; unchanged for any other orientation.
ThumbPosition dragThumb(const SliderShape& shape, float x, float y, float grabX, float grabY);

// --- Value tip ------------------------------------------------------------

// The text the tip shows for a value.
std::string tipText(std::int32_t value);

// The tip window's frame and size for a label of lw x lh showing the
// value, with the control's top-left corner at (screenLeft, screenTop).
struct TipPlacement {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    friend bool operator==(const TipPlacement&, const TipPlacement&) = default;
};
inline constexpr std::int32_t kTipLabelLeft = 2;
inline constexpr std::int32_t kTipLabelTop = 1;
TipPlacement placeTip(const SliderShape& shape, std::int32_t screenLeft, std::int32_t screenTop, Size label);

// A one-pixel line, both end points included.
struct PaintLine {
    std::int32_t x1, y1, x2, y2;
    Colour colour;
    friend bool operator==(const PaintLine&, const PaintLine&) = default;
};

// The tip's 1-pixel frame on a window of the given size, in drawing order:
// light top and left edges, then dark right and bottom edges (so the two
// corners where they meet are dark).
std::vector<PaintLine> tipFrameLines(Size window);

}  // namespace quorvane::slider_geometry
