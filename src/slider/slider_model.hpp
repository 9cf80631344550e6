#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "slider/picture.hpp"

namespace quorvane {

namespace stored_sliders {
struct StoredSlider;
}
namespace slider_geometry {
struct SliderShape;
}

// The events a slider raises. A host assigns the handlers it wants; an empty
// handler is simply not called. ValueChanged is raised synchronously, so its
// handler has run when the assignment of Value that caused it returns.
struct SliderEvents {
    std::function<void()> valueChanged;  // Value differs from the last value reported
};

// A 32-bit colour. With the top bit set (0x800000nn) it names the system
// colour with index nn in the low byte.
using Colour = std::uint32_t;
inline constexpr Colour kButtonFaceColour = 0x8000000Fu;

// The state, properties and events of the SliderModel control, without any
// window. Value stays between Min and Max when assigned; every refused value
// raises SliderError and leaves the slider as it was. Its look (colour,
// orientation, pictures) comes from the window's design (LoadDesign).
//
// The widget derives from this class and fills in the geometry hooks
// (LayoutSlider, DrawSlider, ThumbDragged), DragCancelled and the surface
// size; here they do nothing. What the pointer does (PressAt, DragTo) is
// decided here, once for every widget.
class SliderModel {
public:
    static constexpr std::int32_t kHorizontal = 0;  // Min at the left
    static constexpr std::int32_t kVertical = 1;    // Min at the bottom

    SliderModel() = default;
    virtual ~SliderModel() = default;
    SliderModel(const SliderModel&) = delete;
    SliderModel& operator=(const SliderModel&) = delete;

    SliderEvents& events() noexcept { return events_; }

    // Properties.
    bool acceptsInput() const noexcept { return enabled_; }
    // A disabled slider ignores presses and pointer moves; disabling it
    // during a drag ends the drag at once (the value stays where the drag
    // left it and the tip closes).
    void setAcceptsInput(bool accepts);
    std::int32_t max() const noexcept { return max_; }
    void setMax(std::int32_t newMax);
    std::int32_t min() const noexcept { return min_; }
    void setMin(std::int32_t newMin);
    std::int32_t value() const noexcept { return value_; }
    void setValue(std::int32_t newValue);
    std::int32_t orientation() const noexcept { return orientation_; }
    Colour backColor() const noexcept { return backColor_; }
    const Picture& sliderIcon() const noexcept { return sliderIcon_; }
    const Picture& railPicture() const noexcept { return railPicture_; }

    // Takes the window's design at once: colour, orientation, range and
    // value, with the thumb and rail pictures the host made from the design's
    // names. No setter runs and no event is raised; the slider then lays
    // itself out.
    void loadDesign(const stored_sliders::StoredSlider& design, Picture thumb, Picture rail);

    // The value tip's wording, chosen by the slider's owner: the function is
    // given a value and returns the text (UTF-8) the tip shows for it, e.g.
    // the time a position stands for. It is called for every value the tip
    // shows, so at each change while dragging. An empty function, the
    // default, shows the value in decimal; a function that throws does too.
    // The choice is the owner's, not part of the design: LoadDesign keeps it.
    using TipTextFunction = std::function<std::string(std::int32_t value)>;
    void setValueTipText(TipTextFunction textForValue);
    // The text the tip shows for Value now.
    std::string valueTipText() const;

    // Read-only state.
    std::int32_t valueRange() const noexcept { return valueRange_; }
    bool dragging() const noexcept { return dragging_; }
    float grabOffsetX() const noexcept { return grabOffsetX_; }
    float grabOffsetY() const noexcept { return grabOffsetY_; }
    // The thumb's position on the surface; its size is that of SliderIcon.
    float thumbLeft() const noexcept { return thumbLeft_; }
    float thumbTop() const noexcept { return thumbTop_; }

protected:
    // Geometry hooks, filled in by the widget.
    virtual void layoutSlider() {}
    virtual void drawSlider() {}
    // The slider ended a drag itself (it was disabled); the widget closes
    // the tip.
    virtual void dragCancelled() {}
    // The inner size of the drawing surface, in pixels.
    virtual std::int32_t surfaceWidth() const { return 0; }
    virtual std::int32_t surfaceHeight() const { return 0; }
    // The thumb moved under the pointer (Value, when it changes, draws the
    // slider anyway).
    virtual void thumbDragged() {}

    // A snapshot of the slider on its surface, for the geometry.
    slider_geometry::SliderShape currentShape() const;
    // A press of the main button at (x, y) of the surface starts a drag: on
    // the thumb, the thumb keeps the point where it was grabbed; elsewhere
    // its centre jumps to the pointer and Value follows. Returns whether the
    // drag goes on (a ValueChanged handler may have disabled the slider).
    bool pressAt(float x, float y);
    // During a drag: the thumb follows the pointer by its grab point along
    // the track, snaps to the nearest value, and Value takes that value.
    void dragTo(float x, float y);

    // Puts the thumb where Value belongs along the track of the current
    // orientation. Does nothing when the range is empty.
    void placeThumbForValue();

    void setThumbPosition(float left, float top) noexcept;
    void setDragging(bool dragging) noexcept { dragging_ = dragging; }
    void setGrabOffset(float x, float y) noexcept;

private:
    SliderEvents events_;

    bool enabled_ = true;
    Colour backColor_ = kButtonFaceColour;
    std::int32_t orientation_ = kVertical;
    TipTextFunction tipText_;
    std::int32_t min_ = 0;
    std::int32_t max_ = 10;
    std::int32_t value_ = 0;
    std::int32_t valueRange_ = 10;
    std::int32_t lastValue_ = 0;
    bool dragging_ = false;
    float grabOffsetX_ = 0.0f;
    float grabOffsetY_ = 0.0f;

    Picture sliderIcon_;
    float thumbLeft_ = 0.0f;
    float thumbTop_ = 0.0f;
    Picture railPicture_;
};

}  // namespace quorvane
