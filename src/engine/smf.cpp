#include "smf.hpp"

#include <cstring>
#include <string>

#include "errors.hpp"

namespace quorvane {

namespace {

std::string tagText(const std::uint8_t (&tag)[4]) {
    std::string text = "\"";
    for (std::uint8_t c : tag) {
        if (c >= 0x20 && c < 0x7F)
            text += static_cast<char>(c);
        else
            text += "\\x" + hexByte(c).substr(2);
    }
    return text + "\"";
}

void readTag(ByteReader& in, std::uint8_t (&tag)[4]) {
    for (auto& byte : tag) byte = in.u8();
}

// Data bytes of the system messages that may stray into a track.
std::uint8_t systemDataCount(std::uint8_t status) {
    switch (status) {
        case 0xF1: return 1;
        case 0xF2: return 2;
        case 0xF3: return 1;
        default: return 0;
    }
}

}  // namespace

SmfHeader readHeader(ByteReader& in) {
    const std::uint64_t start = in.offset();
    std::uint8_t tag[4];
    readTag(in, tag);
    if (std::memcmp(tag, "MThd", 4) != 0) {
        in.fail("not a Standard MIDI File: header tag " + tagText(tag) + ", expected \"MThd\"", start);
    }
    const std::uint64_t lengthAt = in.offset();
    const std::uint32_t length = in.u32be();
    if (length < 6) {
        in.fail("header length " + std::to_string(length) + " is below 6", lengthAt);
    }
    SmfHeader header;
    header.format = in.u16be();
    header.trackCount = in.u16be();
    const std::uint64_t divisionAt = in.offset();
    header.divisionHi = in.u8();
    header.divisionLo = in.u8();
    if (header.divisionHi & 0x80) {
        in.fail("SMPTE time division " + hexByte(header.divisionHi) + hexByte(header.divisionLo).substr(2) +
                    " is not supported",
                divisionAt);
    }
    if (header.division() == 0) in.fail("division of 0 ticks per quarter note", divisionAt);
    in.skip(length - 6);
    return header;
}

void TrackChunk::skipRest(ByteReader& in) const {
    const std::uint64_t used = consumed(in);
    if (used < length) in.skip(length - used);
    in.clearLimit();
}

TrackChunk nextTrack(ByteReader& in) {
    in.clearLimit();
    for (;;) {
        std::uint8_t tag[4];
        readTag(in, tag);
        const std::uint32_t length = in.u32be();
        if (std::memcmp(tag, "MTrk", 4) == 0) {
            in.setLimit(in.offset() + length);
            return TrackChunk{length, in.offset()};
        }
        in.skip(length);  // a chunk of another kind: not ours to read
    }
}

void EventReader::failNoStatus(const EventHead& head) const {
    in_.fail("data byte " + hexByte(head.data[0]) + " where a status byte is expected", head.offset);
}

void EventReader::failDataByte(const EventHead& head) const {
    const bool first = (head.data[0] & 0x80) != 0;
    const std::uint64_t at = head.offset + (head.runningStatus ? 0 : 1) + (first ? 0 : 1);
    in_.fail("data byte " + hexByte(first ? head.data[0] : head.data[1]) + " of a channel message has its top bit set",
             at);
}

void EventReader::finishOther(EventHead& head) {
    switch (head.kind) {
        case EventKind::Channel: return;
        case EventKind::SysEx: head.length = in_.vlq(); return;
        case EventKind::Meta: {
            const std::uint64_t typeAt = in_.offset();
            head.metaType = in_.u8();
            if (head.metaType >= 0x80) {
                in_.fail("meta event type " + hexByte(head.metaType) + " is not valid", typeAt);
            }
            head.length = in_.vlq();
            return;
        }
        case EventKind::System:
            head.dataCount = systemDataCount(head.status);
            for (std::uint8_t i = 0; i < head.dataCount; ++i) head.data[i] = in_.u8();
            return;
    }
}

void failTempo(ByteReader& in, const EventHead& head, std::uint32_t tempo) {
    if (head.length.value < 3) {
        in.fail("Set Tempo with " + std::to_string(head.length.value) + " data bytes, expected 3", head.offset);
    }
    in.fail("Set Tempo of " + std::to_string(tempo) + " microseconds per quarter note", head.offset);
}

std::uint32_t readTempo(ByteReader& in, const EventHead& head) {
    return readTempo(in, head, [](std::span<const std::uint8_t>) {});
}

}  // namespace quorvane
