#pragma once

#include <cstdint>
#include <span>

#include "errors.hpp"
#include "smf.hpp"
#include "vlq.hpp"

namespace quorvane {

// Puts the delta-time of a copied event. Normally the bytes as read; when
// dropped system messages left time behind (`carried` ticks), the sum is
// encoded anew so that no later event moves in time.
template <typename Sink>
void putDelta(Sink& out, const Vlq& delta, std::uint64_t& carried, ByteReader& in, std::uint64_t at) {
    if (carried == 0) {
        out.put(delta.bytes());
        return;
    }
    const std::uint64_t total = carried + delta.value;
    if (total > kVlqMax) in.fail("delta-time too large to carry over a dropped system message", at);
    out.put(encodeVlq(static_cast<std::uint32_t>(total)).bytes());
    carried = 0;
}

// Puts a channel message after its delta-time; `withStatus` decides whether
// the status byte is written.
template <typename Sink>
void putChannelMessage(Sink& out, const EventHead& head, bool withStatus) {
    if (withStatus) out.put(head.status);
    out.put(std::span<const std::uint8_t>(head.data, head.dataCount));
}

// Puts a SysEx or meta event after its delta-time, payload copied from `in`.
template <typename Sink>
void putLongEvent(Sink& out, const EventHead& head, ByteReader& in) {
    out.put(head.status);
    if (head.kind == EventKind::Meta) out.put(head.metaType);
    out.put(head.length.bytes());
    in.copy(head.length.value, out);
}

}  // namespace quorvane
