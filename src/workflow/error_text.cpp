#include "error_text.hpp"

#include "slider/slider_error.hpp"

namespace quorvane {

namespace {
// The standard description of a slider error's number.
const char* sliderErrorDescription(int number) {
    switch (number) {
        case SliderError::kInvalidPropertyValue: return "invalid property value";
        case SliderError::kOverflow: return "overflow";
        default: return "slider error";
    }
}
}  // namespace

std::string describeCommandError(const std::exception_ptr& error, const std::string& currentFile) {
    try {
        std::rethrow_exception(error);
    } catch (const SliderError& e) {
        // The slider's own text is only the detail: what was refused and why.
        return withFileNamed(
            "Error " + std::to_string(e.number()) + ": " + sliderErrorDescription(e.number()) + ": " + e.what(),
            currentFile);
    } catch (...) {
        return describeError(error, currentFile);
    }
}

}  // namespace quorvane
