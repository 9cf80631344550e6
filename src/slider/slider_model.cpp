#include "slider/slider_model.hpp"

#include <limits>
#include <utility>

#include "slider/slider_error.hpp"
#include "slider/slider_geometry.hpp"
#include "slider/stored_sliders.hpp"

namespace quorvane {
namespace {

// Error 380 naming the property, the refused value and why it was refused:
// "PROPERTY = VALUE refused (REASON)".
SliderError invalidValue(const std::string& property, std::int64_t value, const std::string& reason) {
    return SliderError(SliderError::kInvalidPropertyValue,
                       property + " = " + std::to_string(value) + " refused (" + reason + ")");
}

// Max - Min as a 32-bit value. Error 6, naming property and value, when the
// difference does not fit; the caller has not stored anything yet. `property`
// is "Min" or "Max"; the reason names the other bound.
std::int32_t checkedRange(const std::string& property, std::int64_t value, std::int32_t min, std::int32_t max) {
    const std::int64_t range = static_cast<std::int64_t>(max) - min;
    if (range > std::numeric_limits<std::int32_t>::max()) {
        const std::string other = property == "Min" ? "Max = " + std::to_string(max) : "Min = " + std::to_string(min);
        throw SliderError(SliderError::kOverflow, property + " = " + std::to_string(value) +
                                                      " refused (Max - Min does not fit in 32 bits with " + other +
                                                      ")");
    }
    return static_cast<std::int32_t>(range);
}

// Calls a handler through a copy, so that a handler which replaces itself
// does not destroy the function that is running.
void raiseEvent(const std::function<void()>& handler) {
    if (!handler) return;
    const std::function<void()> call = handler;
    call();
}

}  // namespace

void SliderModel::loadDesign(const stored_sliders::StoredSlider& design, Picture thumb, Picture rail) {
    valueRange_ = design.max - design.min;  // never empty: see stored_sliders.hpp
    backColor_ = design.backColor;
    orientation_ = design.orientation;
    min_ = design.min;
    max_ = design.max;
    value_ = lastValue_ = design.value;
    sliderIcon_ = std::move(thumb);
    railPicture_ = std::move(rail);
    layoutSlider();
}

void SliderModel::setAcceptsInput(bool accepts) {
    enabled_ = accepts;
    if (!enabled_ && dragging_) {
        dragging_ = false;
        dragCancelled();
    }
}

void SliderModel::setValueTipText(TipTextFunction textForValue) {
    tipText_ = std::move(textForValue);
    // A tip on show takes the new wording at once.
    if (dragging_) drawSlider();
}

std::string SliderModel::valueTipText() const {
    if (tipText_) {
        try {
            const TipTextFunction text = tipText_;  // may replace itself
            return text(value_);
        } catch (...) {
            // The tip is only a help: it falls back to the number rather than
            // stopping the drag that shows it.
        }
    }
    return slider_geometry::tipText(value_);
}

void SliderModel::setMax(std::int32_t newMax) {
    if (min_ >= newMax) {
        throw invalidValue("Max", newMax, "Max must be above Min = " + std::to_string(min_));
    }
    const std::int32_t range = checkedRange("Max", newMax, min_, newMax);
    // Value is left alone, even when it now lies above Max. A value inside
    // the new range keeps its meaning: the thumb moves to show it there.
    max_ = newMax;
    valueRange_ = range;
    if (value_ <= max_ && !dragging_) {
        placeThumbForValue();
        drawSlider();
    }
}

void SliderModel::setMin(std::int32_t newMin) {
    if (newMin >= max_) {
        throw invalidValue("Min", newMin, "Min must be below Max = " + std::to_string(max_));
    }
    // The range is settled before Value moves, so that a ValueChanged handler
    // sees a consistent slider and a handler that throws leaves one behind.
    valueRange_ = checkedRange("Min", newMin, newMin, max_);
    min_ = newMin;
    setValue(newMin);
}

void SliderModel::setValue(std::int32_t newValue) {
    if (newValue < min_ || newValue > max_) {
        throw invalidValue(
            "Value", newValue,
            "Value must lie between Min = " + std::to_string(min_) + " and Max = " + std::to_string(max_));
    }
    value_ = newValue;
    if (value_ == lastValue_) return;
    // During a drag the mouse handling has already placed the thumb.
    if (!dragging_) placeThumbForValue();
    drawSlider();
    lastValue_ = value_;
    raiseEvent(events_.valueChanged);
}

slider_geometry::SliderShape SliderModel::currentShape() const {
    return slider_geometry::shapeOf(*this, {surfaceWidth(), surfaceHeight()});
}

bool SliderModel::pressAt(float x, float y) {
    setDragging(true);
    const auto shape = currentShape();
    if (slider_geometry::hitsThumb(shape, x, y)) {
        setGrabOffset(x - thumbLeft_, y - thumbTop_);
    } else {
        // The thumb's centre jumps to the pointer.
        setGrabOffset(static_cast<float>(shape.thumb.width) / 2.0f, static_cast<float>(shape.thumb.height) / 2.0f);
        dragTo(x, y);
    }
    return dragging_;
}

void SliderModel::dragTo(float x, float y) {
    auto shape = currentShape();
    shape.thumbAt = slider_geometry::dragThumb(shape, x, y, grabOffsetX_, grabOffsetY_);
    const auto snapped = slider_geometry::valueFromPosition(shape);
    setThumbPosition(snapped.thumb.left, snapped.thumb.top);
    thumbDragged();
    // Without a track there is no value to read; Value stays as it is.
    if (snapped.value) setValue(*snapped.value);
}

void SliderModel::placeThumbForValue() {
    const auto thumb = slider_geometry::placeThumbForValue(currentShape());
    thumbLeft_ = thumb.left;
    thumbTop_ = thumb.top;
}

void SliderModel::setThumbPosition(float left, float top) noexcept {
    thumbLeft_ = left;
    thumbTop_ = top;
}

void SliderModel::setGrabOffset(float x, float y) noexcept {
    grabOffsetX_ = x;
    grabOffsetY_ = y;
}

}  // namespace quorvane
