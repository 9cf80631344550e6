#include "vlq.hpp"

#include <stdexcept>
#include <string>

namespace quorvane {

Vlq encodeVlq(std::uint32_t value) {
    if (value > kVlqMax) {
        throw std::out_of_range("variable-length quantity " + std::to_string(value) + " above the maximum");
    }
    Vlq out;
    out.value = value;
    std::uint8_t groups[4];
    int count = 0;
    do {
        groups[count++] = static_cast<std::uint8_t>(value & 0x7F);
        value >>= 7;
    } while (value != 0);
    for (int i = count - 1; i >= 0; --i) {
        out.raw[out.size++] = static_cast<std::uint8_t>(groups[i] | (i > 0 ? 0x80 : 0x00));
    }
    return out;
}

}  // namespace quorvane
