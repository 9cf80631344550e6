#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "slider/picture.hpp"

namespace quorvane {

namespace stored_sliders {
struct StoredSlider;
}

// The events a slider raises. A host assigns the handlers it wants; an empty
// handler is simply not called. ValueChanged is raised synchronously, so its
// handler has run when the assignment of Value that caused it returns.
struct SliderEvents {
    std::function<void()> ValueChanged;  // Value differs from the last value reported
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
// (LayoutSlider, DrawSlider), DragCancelled and the surface size; here they
// do nothing.
class SliderModel {
public:
    static constexpr std::int32_t kHorizontal = 0;  // Min at the left
    static constexpr std::int32_t kVertical = 1;    // Min at the bottom

    SliderModel() = default;
    virtual ~SliderModel() = default;
    SliderModel(const SliderModel&) = delete;
    SliderModel& operator=(const SliderModel&) = delete;

    SliderEvents& Events() noexcept { return events_; }

    // Properties.
    bool Enabled() const noexcept { return enabled_; }
    // A disabled slider ignores presses and pointer moves; disabling it
    // during a drag ends the drag at once (the value stays where the drag
    // left it and the tip closes).
    void SetEnabled(bool New_Enabled);
    std::int32_t Max() const noexcept { return max_; }
    void SetMax(std::int32_t New_Max);
    std::int32_t Min() const noexcept { return min_; }
    void SetMin(std::int32_t New_Min);
    std::int32_t Value() const noexcept { return value_; }
    void SetValue(std::int32_t New_Value);
    std::int32_t Orientation() const noexcept { return orientation_; }
    void SetOrientation(std::int32_t New_Orientation);
    Colour BackColor() const noexcept { return backColor_; }
    const Picture& SliderIcon() const noexcept { return sliderIcon_; }
    const Picture& RailPicture() const noexcept { return railPicture_; }

    // Takes the window's design at once: colour, orientation, range and
    // value, with the thumb and rail pictures the host made from the design's
    // names. No setter runs and no event is raised; the slider then lays
    // itself out.
    void LoadDesign(const stored_sliders::StoredSlider& design, Picture thumb, Picture rail);

    // The value tip's wording, chosen by the slider's owner: the function is
    // given a value and returns the text (UTF-8) the tip shows for it, e.g.
    // the time a position stands for. It is called for every value the tip
    // shows, so at each change while dragging. An empty function, the
    // default, shows the value in decimal; a function that throws does too.
    // The choice is the owner's, not part of the design: LoadDesign keeps it.
    using TipTextFunction = std::function<std::string(std::int32_t value)>;
    void SetValueTipText(TipTextFunction textForValue);
    // The text the tip shows for Value now.
    std::string ValueTipText() const;

    // Read-only state.
    std::int32_t ValueRange() const noexcept { return valueRange_; }
    bool Dragging() const noexcept { return dragging_; }
    float GrabOffsetX() const noexcept { return grabOffsetX_; }
    float GrabOffsetY() const noexcept { return grabOffsetY_; }
    // The thumb's position on the surface; its size is that of SliderIcon.
    float ThumbLeft() const noexcept { return thumbLeft_; }
    float ThumbTop() const noexcept { return thumbTop_; }

protected:
    // Geometry hooks, filled in by the widget.
    virtual void LayoutSlider() {}
    virtual void DrawSlider() {}
    // The slider ended a drag itself (it was disabled); the widget closes
    // the tip.
    virtual void DragCancelled() {}
    // The inner size of the drawing surface, in pixels.
    virtual std::int32_t SurfaceWidth() const { return 0; }
    virtual std::int32_t SurfaceHeight() const { return 0; }

    // Puts the thumb where Value belongs along the track of the current
    // orientation. Does nothing when the range is empty.
    void PlaceThumbForValue();

    void SetThumbPosition(float left, float top) noexcept;
    void SetDragging(bool dragging) noexcept { dragging_ = dragging; }
    void SetGrabOffset(float x, float y) noexcept;

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
