#pragma once

// Checks shared by the slider's setters and its property loading. Internal to
// the slider library.

#include <cstdint>
#include <string>

#include "slider/picture.hpp"
#include "slider/slider_error.hpp"

namespace quorvane::slider_checks {

// Error 380 naming the property, the refused value and why it was refused:
// "PROPERTY = VALUE refused (REASON)". The reason is a whole clause, e.g.
// "Max must be above Min = 0".
SliderError invalidValue(const std::string& property, const std::string& value, const std::string& reason);
SliderError invalidValue(const std::string& property, std::int64_t value, const std::string& reason);

// Max - Min as a 32-bit value. Error 6, naming property and value, when the
// difference does not fit; the caller has not stored anything yet. `property`
// is "Min" or "Max"; the reason names the other bound.
std::int32_t checkedRange(const std::string& property, std::int64_t value, std::int32_t min, std::int32_t max);

// A picture as a holder keeps it: "no picture" always measures 0 x 0.
// Error 380 for a picture with a negative size.
Picture checkedPicture(const std::string& property, const Picture& picture);

}  // namespace quorvane::slider_checks
