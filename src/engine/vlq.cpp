#include "vlq.hpp"

namespace quorvane {

Vlq encodeVlq(std::uint32_t value) {
    Vlq out;
    out.value = value;
    std::uint8_t groups[4];
    int count = 0;
    do {
        groups[count++] = static_cast<std::uint8_t>(value & 0x7F);
        value >>= 7;
    } while (value != 0 && count < 4);
    for (int i = count - 1; i >= 0; --i) {
        out.raw[out.size++] = static_cast<std::uint8_t>(groups[i] | (i > 0 ? 0x80 : 0x00));
    }
    return out;
}

}  // namespace quorvane
