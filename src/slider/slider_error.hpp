#pragma once

#include <stdexcept>
#include <string>

namespace quorvane {

// Raised by the slider when it refuses a value. The slider is left exactly as
// it was before the refused call.
//
// number() is the error number and what() only the detail: what was refused
// and why, e.g. "Max = 0 refused (Max must be above Min = 0)". The number and
// its standard description ("invalid property value", "overflow") are added
// by describeError (src/workflow/error_text.cpp) when the error is shown to a user.
class SliderError : public std::runtime_error {
public:
    static constexpr int kOverflow = 6;                // a range that does not fit in 32 bits
    static constexpr int kInvalidPropertyValue = 380;  // a value outside what the property accepts

    SliderError(int number, const std::string& detail) : std::runtime_error(detail), number_(number) {}

    int number() const noexcept { return number_; }

private:
    int number_;
};

}  // namespace quorvane
