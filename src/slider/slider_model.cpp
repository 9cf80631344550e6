#include "slider/slider_model.hpp"

#include <utility>

#include "slider/slider_checks.hpp"
#include "slider/slider_geometry.hpp"

namespace quorvane {
namespace {

// Calls a handler through a copy, so that a handler which replaces itself
// does not destroy the function that is running.
template <typename Handler, typename... Args>
void raiseEvent(const Handler& handler, Args&... args) {
    if (!handler) return;
    const Handler call = handler;
    call(args...);
}

}  // namespace

using slider_checks::checkedPicture;
using slider_checks::checkedRange;
using slider_checks::invalidValue;

void TarnSlider::ResetMembers() {
    enabled_ = true;
    orientation_ = kVertical;
    railStyle_ = 0;
    showValueTip_ = true;
    min_ = 0;
    max_ = 10;
    value_ = 0;
    valueRange_ = 10;
    lastValue_ = 0;
    dragging_ = false;
    grabOffsetX_ = 0.0f;
    grabOffsetY_ = 0.0f;
    railRect_ = SliderRect{};
}

void TarnSlider::InitProperties() {
    ResetMembers();
    ResetSliderPosition();
}

void TarnSlider::SetEnabled(bool New_Enabled) {
    enabled_ = New_Enabled;
    if (!enabled_ && dragging_) {
        dragging_ = false;
        DragCancelled();
    }
}

void TarnSlider::SetShowValueTip(bool New_ShowValueTip) { showValueTip_ = New_ShowValueTip; }

void TarnSlider::SetValueTipText(TipTextFunction textForValue) {
    tipText_ = std::move(textForValue);
    // A tip on show takes the new wording at once.
    if (dragging_) DrawSlider();
}

std::string TarnSlider::ValueTipText() const {
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

void TarnSlider::SetBackColor(Colour New_BackColor) {
    backColor_ = New_BackColor;
    DrawSlider();
}

void TarnSlider::SetMax(std::int32_t New_Max) {
    if (min_ >= New_Max) {
        throw invalidValue("Max", New_Max, "Max must be above Min = " + std::to_string(min_));
    }
    const std::int32_t range = checkedRange("Max", New_Max, min_, New_Max);
    // Value is left alone, even when it now lies above Max. A value inside
    // the new range keeps its meaning: the thumb moves to show it there.
    max_ = New_Max;
    valueRange_ = range;
    if (value_ <= max_ && !dragging_) {
        PlaceThumbForValue();
        DrawSlider();
    }
}

void TarnSlider::SetMin(std::int32_t New_Min) {
    if (New_Min >= max_) {
        throw invalidValue("Min", New_Min, "Min must be below Max = " + std::to_string(max_));
    }
    // The range is settled before Value moves, so that a ValueChanged handler
    // sees a consistent slider and a handler that throws leaves one behind.
    valueRange_ = checkedRange("Min", New_Min, New_Min, max_);
    min_ = New_Min;
    SetValue(New_Min);
}

void TarnSlider::SetValue(std::int32_t New_Value) {
    if (New_Value < min_ || New_Value > max_) {
        throw invalidValue(
            "Value", New_Value,
            "Value must lie between Min = " + std::to_string(min_) + " and Max = " + std::to_string(max_));
    }
    value_ = New_Value;
    if (value_ == lastValue_) return;
    // During a drag the mouse handling has already placed the thumb.
    if (!dragging_) PlaceThumbForValue();
    DrawSlider();
    lastValue_ = value_;
    raiseEvent(events_.ValueChanged);
    if (value_ == max_) raiseEvent(events_.ArrivedLast);
    if (value_ == min_) raiseEvent(events_.ArrivedFirst);
}

void TarnSlider::SetOrientation(std::int32_t New_Orientation) {
    orientation_ = New_Orientation;
    ResetSliderPosition();
    LayoutSlider();
}

void TarnSlider::SetRailStyle(std::int32_t New_RailStyle) {
    railStyle_ = New_RailStyle;
    LayoutSlider();
}

void TarnSlider::SetSliderIcon(const Picture& New_SliderIcon) {
    sliderIcon_ = checkedPicture("SliderIcon", New_SliderIcon);
    LayoutSlider();
}

void TarnSlider::SetRailPicture(const Picture& New_RailPicture) {
    railPicture_ = checkedPicture("RailPicture", New_RailPicture);
    LayoutSlider();
}

void TarnSlider::PlaceThumbForValue() {
    const auto thumb =
        slider_geometry::placeThumbForValue(slider_geometry::shapeOf(*this, {SurfaceWidth(), SurfaceHeight()}));
    thumbLeft_ = thumb.left;
    thumbTop_ = thumb.top;
}

void TarnSlider::SetThumbPosition(float left, float top) noexcept {
    thumbLeft_ = left;
    thumbTop_ = top;
}

void TarnSlider::SetGrabOffset(float x, float y) noexcept {
    grabOffsetX_ = x;
    grabOffsetY_ = y;
}

void TarnSlider::RaiseClick() { raiseEvent(events_.Click); }

void TarnSlider::RaiseMouseDown(std::int16_t& Shift) { raiseEvent(events_.MouseDown, Shift); }

void TarnSlider::RaiseMouseUp(std::int16_t& Shift) { raiseEvent(events_.MouseUp, Shift); }

}  // namespace quorvane
