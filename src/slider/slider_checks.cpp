#include "slider/slider_checks.hpp"

#include <limits>

namespace quorvane::slider_checks {

SliderError invalidValue(const std::string& property, const std::string& value, const std::string& reason) {
    return SliderError(SliderError::kInvalidPropertyValue, property,
                       property + " = " + value + " refused (" + reason + ")");
}

SliderError invalidValue(const std::string& property, std::int64_t value, const std::string& reason) {
    return invalidValue(property, std::to_string(value), reason);
}

std::int32_t checkedRange(const std::string& property, std::int64_t value, std::int32_t min, std::int32_t max) {
    const std::int64_t range = static_cast<std::int64_t>(max) - min;
    if (range > std::numeric_limits<std::int32_t>::max()) {
        const std::string other = property == "Min" ? "Max = " + std::to_string(max) : "Min = " + std::to_string(min);
        throw SliderError(SliderError::kOverflow, property,
                          property + " = " + std::to_string(value) +
                              " refused (Max - Min does not fit in 32 bits with " + other + ")");
    }
    return static_cast<std::int32_t>(range);
}

Picture checkedPicture(const std::string& property, const Picture& picture) {
    if (!picture.IsPresent()) return Picture{};
    if (picture.width < 0 || picture.height < 0) {
        throw invalidValue(
            property,
            "picture of " + std::to_string(picture.width) + " x " + std::to_string(picture.height) + " pixels",
            "a picture cannot have a negative size");
    }
    return picture;
}

}  // namespace quorvane::slider_checks
