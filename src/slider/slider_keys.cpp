#include "slider/slider_keys.hpp"

#include <algorithm>

namespace quorvane {

std::int32_t valueAfterKey(std::int32_t value, std::int32_t min, std::int32_t max, SliderKey key) {
    // In 64 bits: a page from near the end of a wide range must not wrap round.
    const std::int64_t page = std::max<std::int64_t>(1, (std::int64_t{max} - min) / 10);
    std::int64_t target = value;
    switch (key) {
        case SliderKey::StepUp: target += 1; break;
        case SliderKey::StepDown: target -= 1; break;
        case SliderKey::PageUp: target += page; break;
        case SliderKey::PageDown: target -= page; break;
        case SliderKey::First: target = min; break;
        case SliderKey::Last: target = max; break;
    }
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(target, min, max));
}

}  // namespace quorvane
