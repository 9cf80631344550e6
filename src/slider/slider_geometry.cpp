#include "slider/slider_geometry.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace quorvane::slider_geometry {
namespace {

bool isHorizontal(const SliderShape& shape) { return shape.orientation == SliderModel::kHorizontal; }
bool isVertical(const SliderShape& shape) { return shape.orientation == SliderModel::kVertical; }

// (value - min) / valueRange of the way along the track, in double precision
// so that no 32-bit difference can overflow.
double alongTrack(const SliderShape& shape, double track) {
    return track * (static_cast<double>(shape.value) - shape.min) / shape.valueRange;
}

}  // namespace

SliderShape shapeOf(const SliderModel& slider, Size surface) {
    SliderShape shape;
    shape.orientation = slider.orientation();
    shape.min = slider.min();
    shape.value = slider.value();
    shape.valueRange = slider.valueRange();
    shape.surface = surface;
    shape.thumbPresent = slider.sliderIcon().isPresent();
    shape.thumb = {slider.sliderIcon().width, slider.sliderIcon().height};
    shape.thumbAt = {slider.thumbLeft(), slider.thumbTop()};
    shape.railPicturePresent = slider.railPicture().isPresent();
    shape.railPicture = {slider.railPicture().width, slider.railPicture().height};
    shape.backColor = slider.backColor();
    shape.dragging = slider.dragging();
    return shape;
}

std::optional<std::int32_t> roundHalfEven(double x) {
    if (!std::isfinite(x)) return std::nullopt;
    const double below = std::floor(x);
    const double fraction = x - below;
    double rounded = below;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(below, 2.0) != 0.0)) rounded = below + 1.0;
    if (rounded < std::numeric_limits<std::int32_t>::min() || rounded > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(rounded);
}

std::optional<std::int32_t> trackLength(const SliderShape& shape) {
    // 64-bit first: a picture wider than the surface gives a negative track.
    std::int64_t track = 0;
    if (isHorizontal(shape)) {
        track = static_cast<std::int64_t>(shape.surface.width) - shape.thumb.width;
    } else if (isVertical(shape)) {
        track = static_cast<std::int64_t>(shape.surface.height) - shape.thumb.height;
    } else {
        return std::nullopt;
    }
    if (track < std::numeric_limits<std::int32_t>::min() || track > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(track);
}

std::optional<float> positionForValue(const SliderShape& shape) {
    const auto track = trackLength(shape);
    if (!track || shape.valueRange == 0) return std::nullopt;
    const double along = alongTrack(shape, *track);
    return static_cast<float>(isHorizontal(shape) ? along : *track - along);
}

ThumbPosition placeThumbForValue(const SliderShape& shape) {
    ThumbPosition thumb = shape.thumbAt;
    if (const auto position = positionForValue(shape)) {
        (isHorizontal(shape) ? thumb.left : thumb.top) = *position;
    }
    return thumb;
}

SnappedValue valueFromPosition(const SliderShape& shape) {
    SnappedValue result{std::nullopt, shape.thumbAt};
    const auto track = trackLength(shape);
    if (!track || *track == 0 || shape.valueRange == 0) return result;
    const double along =
        isHorizontal(shape) ? static_cast<double>(shape.thumbAt.left) : *track - static_cast<double>(shape.thumbAt.top);
    const auto rounded = roundHalfEven(along / *track * shape.valueRange + shape.min);
    if (!rounded) return result;
    // A thumb placed outside its track (after the host lowered Max, say)
    // still reads as a value the slider accepts.
    const std::int64_t highest = static_cast<std::int64_t>(shape.min) + shape.valueRange;
    const auto value = static_cast<std::int32_t>(std::clamp<std::int64_t>(
        *rounded, std::min<std::int64_t>(shape.min, highest), std::max<std::int64_t>(shape.min, highest)));
    SliderShape snapped = shape;
    snapped.value = value;
    result.value = value;
    result.thumb = placeThumbForValue(snapped);
    return result;
}

std::optional<Size> layoutSize(const SliderShape& shape) {
    const Size& thumb = shape.thumb;
    const Size& rail = shape.railPicture;
    if (isHorizontal(shape)) {
        if (shape.railPicturePresent) return Size{rail.width, std::max(thumb.height, rail.height)};
        return Size{shape.surface.width == 0 ? thumb.width : shape.surface.width, thumb.height};
    }
    if (isVertical(shape)) {
        if (shape.railPicturePresent) return Size{std::max(thumb.width, rail.width), rail.height};
        return Size{thumb.width, shape.surface.height == 0 ? thumb.height : shape.surface.height};
    }
    return std::nullopt;
}

ThumbPosition crossAxisPosition(const SliderShape& shape) {
    ThumbPosition thumb = shape.thumbAt;
    if (isHorizontal(shape)) {
        const bool centred = shape.railPicturePresent && shape.thumb.height < shape.railPicture.height;
        thumb.top = centred
                        ? static_cast<float>((static_cast<double>(shape.railPicture.height) - shape.thumb.height) * 0.5)
                        : 0.0f;
    } else if (isVertical(shape)) {
        const bool centred = shape.railPicturePresent && shape.thumb.width < shape.railPicture.width;
        thumb.left = centred
                         ? static_cast<float>((static_cast<double>(shape.railPicture.width) - shape.thumb.width) * 0.5)
                         : 0.0f;
    }
    return thumb;
}

ThumbPosition placeOnSurface(const SliderShape& shape) {
    SliderShape placed = shape;
    placed.thumbAt = crossAxisPosition(placed);
    return placeThumbForValue(placed);
}

std::vector<PaintStep> planDrawing(const SliderShape& shape) {
    std::vector<PaintStep> steps{ClearSurface{shape.backColor}};

    if (shape.railPicturePresent) {
        std::optional<std::int32_t> x, y;
        if (isHorizontal(shape)) {
            x = 0;
            y = roundHalfEven((static_cast<double>(shape.surface.height) - shape.railPicture.height) * 0.5);
        } else if (isVertical(shape)) {
            x = roundHalfEven((static_cast<double>(shape.surface.width) - shape.railPicture.width) * 0.5);
            y = 0;
        }
        if (x && y) steps.emplace_back(PaintRailPicture{*x, *y});
    }

    if (shape.thumbPresent) {
        const auto x = roundHalfEven(shape.thumbAt.left);
        const auto y = roundHalfEven(shape.thumbAt.top);
        if (x && y) steps.emplace_back(PaintThumb{*x, *y});
    }

    if (shape.dragging) steps.emplace_back(ShowValueTip{});
    return steps;
}

bool hitsThumb(const SliderShape& shape, float x, float y) {
    const ThumbPosition& at = shape.thumbAt;
    const float right = at.left + static_cast<float>(shape.thumb.width);
    const float bottom = at.top + static_cast<float>(shape.thumb.height);
    return x >= at.left && x < right && y >= at.top && y < bottom;
}

ThumbPosition dragThumb(const SliderShape& shape, float x, float y, float grabX, float grabY) {
    ThumbPosition thumb = shape.thumbAt;
    const auto track = trackLength(shape);
    if (!track) return thumb;
    const auto end = static_cast<float>(*track);
    const float wanted = isHorizontal(shape) ? x - grabX : y - grabY;
    const float along = wanted < 0.0f ? 0.0f : (end >= wanted ? wanted : end);
    (isHorizontal(shape) ? thumb.left : thumb.top) = along;
    return thumb;
}

std::string tipText(std::int32_t value) { return std::to_string(value); }

TipPlacement placeTip(const SliderShape& shape, std::int32_t screenLeft, std::int32_t screenTop, Size label) {
    TipPlacement tip;
    // The label sits at (2, 1): two pixels of margin left and right, one
    // above and two below.
    tip.width = label.width + 4;
    tip.height = label.height + 3;
    std::optional<std::int32_t> x, y;
    const double left = static_cast<double>(screenLeft) + shape.thumbAt.left;
    const double top = static_cast<double>(screenTop) + shape.thumbAt.top;
    if (isHorizontal(shape)) {
        // Centred over the thumb, two pixels above it.
        x = roundHalfEven(left + (static_cast<double>(shape.thumb.width) - label.width - 4) * 0.5);
        y = roundHalfEven(top - label.height - 5);
    } else if (isVertical(shape)) {
        // Left of the thumb, two pixels away, level with its middle.
        x = roundHalfEven(left - label.width - 6);
        y = roundHalfEven(top + (static_cast<double>(shape.thumb.height) - label.height - 4) * 0.5);
    }
    tip.x = x.value_or(0);
    tip.y = y.value_or(0);
    return tip;
}

std::vector<PaintLine> tipFrameLines(Size window) {
    if (window.width <= 0 || window.height <= 0) return {};
    const std::int32_t right = window.width - 1;
    const std::int32_t bottom = window.height - 1;
    return {
        PaintLine{0, 0, right, 0, kLight3D},
        PaintLine{0, 0, 0, bottom, kLight3D},
        PaintLine{right, 0, right, bottom, kDarkShadow3D},
        PaintLine{0, bottom, right, bottom, kDarkShadow3D},
    };
}

}  // namespace quorvane::slider_geometry
