// Loading and saving a slider's design properties.

#include <limits>
#include <string>
#include <utility>

#include "slider/slider_checks.hpp"
#include "slider/slider_geometry.hpp"
#include "slider/slider_model.hpp"

namespace quorvane {
namespace {

using slider_checks::CheckedPicture;
using slider_checks::CheckedRange;
using slider_checks::InvalidValue;

constexpr bool kDefaultEnabled = true;
constexpr std::int32_t kDefaultOrientation = TarnSlider::kVertical;
constexpr std::int32_t kDefaultRailStyle = 0;
constexpr bool kDefaultShowValueTip = true;
constexpr std::int32_t kDefaultMin = 0;
constexpr std::int32_t kDefaultMax = 10;
constexpr std::int32_t kDefaultValue = 0;

std::string Describe(const PropertyValue& stored) {
    if (const auto* flag = std::get_if<bool>(&stored)) return *flag ? "True" : "False";
    if (const auto* number = std::get_if<std::int64_t>(&stored)) return std::to_string(*number);
    return "a picture";
}

bool ReadFlag(const PropertyBag& bag, const std::string& key, bool fallback) {
    const auto stored = bag.ReadProperty(key);
    if (!stored) return fallback;
    if (const auto* flag = std::get_if<bool>(&*stored)) return *flag;
    throw InvalidValue(key, Describe(*stored), "a stored flag must be True or False");
}

std::int64_t ReadNumber(const PropertyBag& bag, const std::string& key, std::int64_t fallback,
                        std::int64_t lowest, std::int64_t highest) {
    const auto stored = bag.ReadProperty(key);
    if (!stored) return fallback;
    const auto* number = std::get_if<std::int64_t>(&*stored);
    if (number == nullptr) {
        throw InvalidValue(key, Describe(*stored), "a whole number is stored under this key");
    }
    if (*number < lowest || *number > highest) {
        throw InvalidValue(key, *number, key + " does not fit in 32 bits");
    }
    return *number;
}

std::int32_t ReadWhole(const PropertyBag& bag, const std::string& key, std::int32_t fallback) {
    return static_cast<std::int32_t>(ReadNumber(bag, key, fallback,
                                                std::numeric_limits<std::int32_t>::min(),
                                                std::numeric_limits<std::int32_t>::max()));
}

// A colour may be stored signed or unsigned: -2147483633 and 0x8000000F are
// the same button-face colour.
Colour ReadColour(const PropertyBag& bag, const std::string& key, Colour fallback) {
    const std::int64_t stored = ReadNumber(bag, key, fallback,
                                           std::numeric_limits<std::int32_t>::min(),
                                           std::numeric_limits<std::uint32_t>::max());
    return static_cast<Colour>(static_cast<std::uint64_t>(stored) & 0xFFFFFFFFu);
}

Picture ReadPicture(const PropertyBag& bag, const std::string& key) {
    const auto stored = bag.ReadProperty(key);
    if (!stored) return Picture{};
    if (const auto* picture = std::get_if<Picture>(&*stored)) return CheckedPicture(key, *picture);
    throw InvalidValue(key, Describe(*stored), "a picture is stored under this key");
}

// A value equal to its default is not stored; a stale copy left in the bag by
// an earlier save is removed so that the bag reads back what the slider holds.
void Store(PropertyBag& bag, const std::string& key, const PropertyValue& value,
           const PropertyValue& fallback) {
    if (value == fallback) {
        bag.RemoveProperty(key);
    } else {
        bag.WriteProperty(key, value);
    }
}

PropertyValue Number(std::int64_t value) { return PropertyValue{value}; }

}  // namespace

void TarnSlider::ReadProperties(const PropertyBag& bag) {
    // Everything is read and checked first; the slider changes only when the
    // whole design is usable.
    const Colour backColor = ReadColour(bag, "BackColor", kButtonFaceColour);
    const bool enabled = ReadFlag(bag, "Enabled", kDefaultEnabled);
    const std::int32_t orientation = ReadWhole(bag, "Orientation", kDefaultOrientation);
    const std::int32_t railStyle = ReadWhole(bag, "RailStyle", kDefaultRailStyle);
    const bool showValueTip = ReadFlag(bag, "ShowValueTip", kDefaultShowValueTip);
    const std::int32_t min = ReadWhole(bag, "Min", kDefaultMin);
    const std::int32_t max = ReadWhole(bag, "Max", kDefaultMax);
    const std::int32_t value = ReadWhole(bag, "Value", kDefaultValue);
    Picture sliderIcon = ReadPicture(bag, "SliderIcon");
    Picture railPicture = ReadPicture(bag, "RailPicture");

    // An empty or reversed range would leave a slider that divides by zero or
    // refuses every value its own thumb produces.
    if (min >= max) {
        throw InvalidValue("Max", max,
                           "stored Max must be above stored Min = " + std::to_string(min));
    }
    const std::int32_t range = CheckedRange("Max", max, min, max);

    // The stored values are taken as they are: no setter runs, no event is
    // raised, nothing is repainted. Value may lie outside Min..Max, as it may
    // after Max is lowered.
    back_color_ = backColor;
    enabled_ = enabled;
    orientation_ = orientation;
    rail_style_ = railStyle;
    show_value_tip_ = showValueTip;
    min_ = min;
    max_ = max;
    value_ = value;
    slider_icon_ = std::move(sliderIcon);
    rail_picture_ = std::move(railPicture);
    value_range_ = range;
    last_value_ = value_;

    // The thumb goes where Value belongs on both axes, whatever the
    // orientation; the layout pass that follows sets the cross axis again.
    slider_geometry::SliderShape shape = slider_geometry::ShapeOf(*this, {SurfaceWidth(), SurfaceHeight()});
    shape.orientation = kHorizontal;
    thumb_left_ = slider_geometry::PositionForValue(shape).value_or(0.0f);
    shape.orientation = kVertical;
    thumb_top_ = slider_geometry::PositionForValue(shape).value_or(0.0f);
}

void TarnSlider::WriteProperties(PropertyBag& bag) const {
    Store(bag, "BackColor", Number(back_color_), Number(kButtonFaceColour));
    Store(bag, "Enabled", enabled_, kDefaultEnabled);
    Store(bag, "SliderIcon", slider_icon_, Picture{});
    Store(bag, "Orientation", Number(orientation_), Number(kDefaultOrientation));
    Store(bag, "RailPicture", rail_picture_, Picture{});
    Store(bag, "RailStyle", Number(rail_style_), Number(kDefaultRailStyle));
    Store(bag, "ShowValueTip", show_value_tip_, kDefaultShowValueTip);
    Store(bag, "Min", Number(min_), Number(kDefaultMin));
    Store(bag, "Max", Number(max_), Number(kDefaultMax));
    Store(bag, "Value", Number(value_), Number(kDefaultValue));
}

}  // namespace quorvane
