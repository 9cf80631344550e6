// Loading and saving a slider's design properties.

#include <limits>
#include <string>
#include <utility>

#include "slider/slider_checks.hpp"
#include "slider/slider_geometry.hpp"
#include "slider/slider_model.hpp"

namespace quorvane {
namespace {

using slider_checks::checkedPicture;
using slider_checks::checkedRange;
using slider_checks::invalidValue;

constexpr bool kDefaultEnabled = true;
constexpr std::int32_t kDefaultOrientation = TarnSlider::kVertical;
constexpr std::int32_t kDefaultRailStyle = 0;
constexpr bool kDefaultShowValueTip = true;
constexpr std::int32_t kDefaultMin = 0;
constexpr std::int32_t kDefaultMax = 10;
constexpr std::int32_t kDefaultValue = 0;

std::string describe(const PropertyValue& stored) {
    if (const auto* flag = std::get_if<bool>(&stored)) return *flag ? "True" : "False";
    if (const auto* number = std::get_if<std::int64_t>(&stored)) return std::to_string(*number);
    return "a picture";
}

bool readFlag(const PropertyBag& bag, const std::string& key, bool fallback) {
    const auto stored = bag.ReadProperty(key);
    if (!stored) return fallback;
    if (const auto* flag = std::get_if<bool>(&*stored)) return *flag;
    throw invalidValue(key, describe(*stored), "a stored flag must be True or False");
}

std::int64_t readNumber(const PropertyBag& bag, const std::string& key, std::int64_t fallback, std::int64_t lowest,
                        std::int64_t highest) {
    const auto stored = bag.ReadProperty(key);
    if (!stored) return fallback;
    const auto* number = std::get_if<std::int64_t>(&*stored);
    if (number == nullptr) {
        throw invalidValue(key, describe(*stored), "a whole number is stored under this key");
    }
    if (*number < lowest || *number > highest) {
        throw invalidValue(key, *number, key + " does not fit in 32 bits");
    }
    return *number;
}

std::int32_t readWhole(const PropertyBag& bag, const std::string& key, std::int32_t fallback) {
    return static_cast<std::int32_t>(readNumber(bag, key, fallback, std::numeric_limits<std::int32_t>::min(),
                                                std::numeric_limits<std::int32_t>::max()));
}

// A colour may be stored signed or unsigned: -2147483633 and 0x8000000F are
// the same button-face colour.
Colour readColour(const PropertyBag& bag, const std::string& key, Colour fallback) {
    const std::int64_t stored = readNumber(bag, key, fallback, std::numeric_limits<std::int32_t>::min(),
                                           std::numeric_limits<std::uint32_t>::max());
    return static_cast<Colour>(static_cast<std::uint64_t>(stored) & 0xFFFFFFFFu);
}

Picture readPicture(const PropertyBag& bag, const std::string& key) {
    const auto stored = bag.ReadProperty(key);
    if (!stored) return Picture{};
    if (const auto* picture = std::get_if<Picture>(&*stored)) return checkedPicture(key, *picture);
    throw invalidValue(key, describe(*stored), "a picture is stored under this key");
}

// A value equal to its default is not stored; a stale copy left in the bag by
// an earlier save is removed so that the bag reads back what the slider holds.
void store(PropertyBag& bag, const std::string& key, const PropertyValue& value, const PropertyValue& fallback) {
    if (value == fallback) {
        bag.RemoveProperty(key);
    } else {
        bag.WriteProperty(key, value);
    }
}

PropertyValue numberValue(std::int64_t value) { return PropertyValue{value}; }

}  // namespace

void TarnSlider::ReadProperties(const PropertyBag& bag) {
    // Everything is read and checked first; the slider changes only when the
    // whole design is usable.
    const Colour backColor = readColour(bag, "BackColor", kButtonFaceColour);
    const bool enabled = readFlag(bag, "Enabled", kDefaultEnabled);
    const std::int32_t orientation = readWhole(bag, "Orientation", kDefaultOrientation);
    const std::int32_t railStyle = readWhole(bag, "RailStyle", kDefaultRailStyle);
    const bool showValueTip = readFlag(bag, "ShowValueTip", kDefaultShowValueTip);
    const std::int32_t min = readWhole(bag, "Min", kDefaultMin);
    const std::int32_t max = readWhole(bag, "Max", kDefaultMax);
    const std::int32_t value = readWhole(bag, "Value", kDefaultValue);
    Picture sliderIcon = readPicture(bag, "SliderIcon");
    Picture railPicture = readPicture(bag, "RailPicture");

    // An empty or reversed range would leave a slider that divides by zero or
    // refuses every value its own thumb produces.
    if (min >= max) {
        throw invalidValue("Max", max, "stored Max must be above stored Min = " + std::to_string(min));
    }
    const std::int32_t range = checkedRange("Max", max, min, max);

    // The stored values are taken as they are: no setter runs, no event is
    // raised, nothing is repainted. Value may lie outside Min..Max, as it may
    // after Max is lowered.
    backColor_ = backColor;
    enabled_ = enabled;
    orientation_ = orientation;
    railStyle_ = railStyle;
    showValueTip_ = showValueTip;
    min_ = min;
    max_ = max;
    value_ = value;
    sliderIcon_ = std::move(sliderIcon);
    railPicture_ = std::move(railPicture);
    valueRange_ = range;
    lastValue_ = value_;

    // The thumb goes where Value belongs on both axes, whatever the
    // orientation; the layout pass that follows sets the cross axis again.
    slider_geometry::SliderShape shape = slider_geometry::shapeOf(*this, {SurfaceWidth(), SurfaceHeight()});
    shape.orientation = kHorizontal;
    thumbLeft_ = slider_geometry::positionForValue(shape).value_or(0.0f);
    shape.orientation = kVertical;
    thumbTop_ = slider_geometry::positionForValue(shape).value_or(0.0f);
}

void TarnSlider::WriteProperties(PropertyBag& bag) const {
    store(bag, "BackColor", numberValue(backColor_), numberValue(kButtonFaceColour));
    store(bag, "Enabled", enabled_, kDefaultEnabled);
    store(bag, "SliderIcon", sliderIcon_, Picture{});
    store(bag, "Orientation", numberValue(orientation_), numberValue(kDefaultOrientation));
    store(bag, "RailPicture", railPicture_, Picture{});
    store(bag, "RailStyle", numberValue(railStyle_), numberValue(kDefaultRailStyle));
    store(bag, "ShowValueTip", showValueTip_, kDefaultShowValueTip);
    store(bag, "Min", numberValue(min_), numberValue(kDefaultMin));
    store(bag, "Max", numberValue(max_), numberValue(kDefaultMax));
    store(bag, "Value", numberValue(value_), numberValue(kDefaultValue));
}

}  // namespace quorvane
