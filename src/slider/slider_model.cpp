#include "slider/slider_model.hpp"

#include <utility>

#include "slider/slider_checks.hpp"
#include "slider/slider_geometry.hpp"

namespace quorvane {
namespace {

// Calls a handler through a copy, so that a handler which replaces itself
// does not destroy the function that is running.
template <typename Handler, typename... Args>
void Raise(const Handler& handler, Args&... args) {
    if (!handler) return;
    const Handler call = handler;
    call(args...);
}

}  // namespace

using slider_checks::CheckedPicture;
using slider_checks::CheckedRange;
using slider_checks::InvalidValue;

void TarnSlider::ResetMembers() {
    enabled_ = true;
    orientation_ = kVertical;
    rail_style_ = 0;
    show_value_tip_ = true;
    min_ = 0;
    max_ = 10;
    value_ = 0;
    value_range_ = 10;
    last_value_ = 0;
    dragging_ = false;
    grab_offset_x_ = 0.0f;
    grab_offset_y_ = 0.0f;
    rail_rect_ = SliderRect{};
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

void TarnSlider::SetShowValueTip(bool New_ShowValueTip) { show_value_tip_ = New_ShowValueTip; }

void TarnSlider::SetValueTipText(TipTextFunction textForValue) {
    tip_text_ = std::move(textForValue);
    // A tip on show takes the new wording at once.
    if (dragging_) DrawSlider();
}

std::string TarnSlider::ValueTipText() const {
    if (tip_text_) {
        try {
            const TipTextFunction text = tip_text_;  // may replace itself
            return text(value_);
        } catch (...) {
            // The tip is only a help: it falls back to the number rather than
            // stopping the drag that shows it.
        }
    }
    return slider_geometry::TipText(value_);
}

void TarnSlider::SetBackColor(Colour New_BackColor) {
    back_color_ = New_BackColor;
    DrawSlider();
}

void TarnSlider::SetMax(std::int32_t New_Max) {
    if (min_ >= New_Max) {
        throw InvalidValue("Max", New_Max, "Max must be above Min = " + std::to_string(min_));
    }
    const std::int32_t range = CheckedRange("Max", New_Max, min_, New_Max);
    // Value is left alone, even when it now lies above Max. A value inside
    // the new range keeps its meaning: the thumb moves to show it there.
    max_ = New_Max;
    value_range_ = range;
    if (value_ <= max_ && !dragging_) {
        PlaceThumbForValue();
        DrawSlider();
    }
}

void TarnSlider::SetMin(std::int32_t New_Min) {
    if (New_Min >= max_) {
        throw InvalidValue("Min", New_Min, "Min must be below Max = " + std::to_string(max_));
    }
    // The range is settled before Value moves, so that a ValueChanged handler
    // sees a consistent slider and a handler that throws leaves one behind.
    value_range_ = CheckedRange("Min", New_Min, New_Min, max_);
    min_ = New_Min;
    SetValue(New_Min);
}

void TarnSlider::SetValue(std::int32_t New_Value) {
    if (New_Value < min_ || New_Value > max_) {
        throw InvalidValue("Value", New_Value,
                           "Value must lie between Min = " + std::to_string(min_) +
                               " and Max = " + std::to_string(max_));
    }
    value_ = New_Value;
    if (value_ == last_value_) return;
    // During a drag the mouse handling has already placed the thumb.
    if (!dragging_) PlaceThumbForValue();
    DrawSlider();
    last_value_ = value_;
    Raise(events_.ValueChanged);
    if (value_ == max_) Raise(events_.ArrivedLast);
    if (value_ == min_) Raise(events_.ArrivedFirst);
}

void TarnSlider::SetOrientation(std::int32_t New_Orientation) {
    orientation_ = New_Orientation;
    ResetSliderPosition();
    LayoutSlider();
}

void TarnSlider::SetRailStyle(std::int32_t New_RailStyle) {
    rail_style_ = New_RailStyle;
    LayoutSlider();
}

void TarnSlider::SetSliderIcon(const Picture& New_SliderIcon) {
    slider_icon_ = CheckedPicture("SliderIcon", New_SliderIcon);
    LayoutSlider();
}

void TarnSlider::SetRailPicture(const Picture& New_RailPicture) {
    rail_picture_ = CheckedPicture("RailPicture", New_RailPicture);
    LayoutSlider();
}

void TarnSlider::PlaceThumbForValue() {
    const auto thumb = slider_geometry::PlaceThumbForValue(
        slider_geometry::ShapeOf(*this, {SurfaceWidth(), SurfaceHeight()}));
    thumb_left_ = thumb.left;
    thumb_top_ = thumb.top;
}

void TarnSlider::SetThumbPosition(float left, float top) noexcept {
    thumb_left_ = left;
    thumb_top_ = top;
}

void TarnSlider::SetGrabOffset(float x, float y) noexcept {
    grab_offset_x_ = x;
    grab_offset_y_ = y;
}

void TarnSlider::RaiseClick() { Raise(events_.Click); }

void TarnSlider::RaiseMouseDown(std::int16_t& Shift) { Raise(events_.MouseDown, Shift); }

void TarnSlider::RaiseMouseUp(std::int16_t& Shift) { Raise(events_.MouseUp, Shift); }

}  // namespace quorvane
