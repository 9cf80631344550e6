#include "midi_builder.hpp"

#include <fstream>
#include <stdexcept>

namespace quorvane::testing {

namespace {

std::uint8_t u8(int value) { return static_cast<std::uint8_t>(value & 0xFF); }
std::uint8_t data7(int value) { return static_cast<std::uint8_t>(value & 0x7F); }
std::uint8_t status(int kind, int channel) { return static_cast<std::uint8_t>(kind | (channel & 0x0F)); }

void appendTag(Bytes& out, std::string_view tag) {
    if (tag.size() != 4) {
        throw std::invalid_argument("chunk tag must be 4 characters: '" + std::string(tag) + "'");
    }
    for (char c : tag) {
        out.push_back(static_cast<std::uint8_t>(c));
    }
}

void appendChunk(Bytes& out, std::string_view tag, std::span<const std::uint8_t> payload,
                 std::optional<std::uint32_t> declaredLength) {
    appendTag(out, tag);
    appendBe32(out, declaredLength.value_or(static_cast<std::uint32_t>(payload.size())));
    out.insert(out.end(), payload.begin(), payload.end());
}

std::span<const std::uint8_t> asBytes(std::string_view s) {
    return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

}  // namespace

// ---------------------------------------------------------------------------
// Encoding helpers

Bytes encodeVlq(std::uint32_t value) {
    Bytes out;
    appendVlq(out, value);
    return out;
}

void appendVlq(Bytes& out, std::uint32_t value) {
    if (value > kMaxVlq) {
        throw std::out_of_range("variable-length quantity above 0x0FFFFFFF");
    }
    // Collect 7-bit groups least significant first, then emit them reversed.
    std::uint8_t groups[4];
    int count = 0;
    do {
        groups[count++] = static_cast<std::uint8_t>(value & 0x7F);
        value >>= 7;
    } while (value != 0);
    while (count > 1) {
        out.push_back(static_cast<std::uint8_t>(groups[--count] | 0x80));
    }
    out.push_back(groups[0]);
}

void appendBe16(Bytes& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value >> 8));
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
}

void appendBe32(Bytes& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<std::uint8_t>((value >> shift) & 0xFF));
    }
}

void writeFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) {
        throw std::runtime_error("cannot open for writing: " + path.string());
    }
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        throw std::runtime_error("cannot write: " + path.string());
    }
}

Bytes readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot open for reading: " + path.string());
    }
    Bytes bytes;
    char buffer[64 * 1024];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        bytes.insert(bytes.end(), buffer, buffer + in.gcount());
    }
    if (in.bad()) {
        throw std::runtime_error("cannot read: " + path.string());
    }
    return bytes;
}

// ---------------------------------------------------------------------------
// Delta

Delta::Delta(std::uint32_t ticks) : ticks_(ticks) {}

Delta Delta::raw(std::initializer_list<std::uint8_t> bytes) {
    Delta d;
    d.raw_ = Bytes(bytes);
    return d;
}

Bytes Delta::encoded() const { return raw_ ? *raw_ : encodeVlq(ticks_); }

std::uint64_t Delta::ticks() const {
    if (!raw_) {
        return ticks_;
    }
    std::uint64_t value = 0;
    for (std::uint8_t b : *raw_) {
        value = (value << 7) | (b & 0x7Fu);
        if ((b & 0x80) == 0) {
            break;
        }
    }
    return value;
}

// ---------------------------------------------------------------------------
// TrackBuilder

void TrackBuilder::appendDelta(const Delta& d) {
    Bytes encoded = d.encoded();
    body_.insert(body_.end(), encoded.begin(), encoded.end());
    ticks_ += d.ticks();
}

void TrackBuilder::channelEvent(const Delta& d, std::uint8_t statusByte, std::initializer_list<std::uint8_t> data) {
    appendDelta(d);
    if (!(useRunningStatus_ && lastStatus_ == statusByte)) {
        body_.push_back(statusByte);
    }
    lastStatus_ = statusByte;
    body_.insert(body_.end(), data.begin(), data.end());
}

TrackBuilder& TrackBuilder::noteOn(Delta d, int channel, int key, int velocity) {
    channelEvent(d, status(0x90, channel), {data7(key), data7(velocity)});
    return *this;
}

TrackBuilder& TrackBuilder::noteOff(Delta d, int channel, int key, int velocity) {
    channelEvent(d, status(0x80, channel), {data7(key), data7(velocity)});
    return *this;
}

TrackBuilder& TrackBuilder::polyPressure(Delta d, int channel, int key, int pressure) {
    channelEvent(d, status(0xA0, channel), {data7(key), data7(pressure)});
    return *this;
}

TrackBuilder& TrackBuilder::controlChange(Delta d, int channel, int controller, int value) {
    channelEvent(d, status(0xB0, channel), {data7(controller), data7(value)});
    return *this;
}

TrackBuilder& TrackBuilder::channelVolume(Delta d, int channel, int volume) {
    return controlChange(d, channel, 7, volume);
}

TrackBuilder& TrackBuilder::programChange(Delta d, int channel, int program) {
    channelEvent(d, status(0xC0, channel), {data7(program)});
    return *this;
}

TrackBuilder& TrackBuilder::channelPressure(Delta d, int channel, int pressure) {
    channelEvent(d, status(0xD0, channel), {data7(pressure)});
    return *this;
}

TrackBuilder& TrackBuilder::pitchBend(Delta d, int channel, int value) {
    channelEvent(d, status(0xE0, channel), {data7(value), data7(value >> 7)});
    return *this;
}

TrackBuilder& TrackBuilder::channelMessage(Delta d, std::uint8_t statusByte, std::initializer_list<std::uint8_t> data) {
    appendDelta(d);
    body_.push_back(statusByte);
    body_.insert(body_.end(), data.begin(), data.end());
    if (statusByte >= 0x80 && statusByte < 0xF0) {
        lastStatus_ = statusByte;
    } else {
        forgetRunningStatus();
    }
    return *this;
}

TrackBuilder& TrackBuilder::running(Delta d, std::initializer_list<std::uint8_t> data) {
    appendDelta(d);
    body_.insert(body_.end(), data.begin(), data.end());
    return *this;
}

TrackBuilder& TrackBuilder::useRunningStatus(bool on) {
    useRunningStatus_ = on;
    return *this;
}

TrackBuilder& TrackBuilder::sysex(Delta d, std::span<const std::uint8_t> data, bool terminate) {
    appendDelta(d);
    body_.push_back(0xF0);
    appendVlq(body_, static_cast<std::uint32_t>(data.size() + (terminate ? 1 : 0)));
    body_.insert(body_.end(), data.begin(), data.end());
    if (terminate) {
        body_.push_back(0xF7);
    }
    forgetRunningStatus();
    return *this;
}

TrackBuilder& TrackBuilder::sysex(Delta d, std::initializer_list<std::uint8_t> data, bool terminate) {
    return sysex(d, std::span<const std::uint8_t>(data.begin(), data.size()), terminate);
}

TrackBuilder& TrackBuilder::sysexEscape(Delta d, std::span<const std::uint8_t> data) {
    appendDelta(d);
    body_.push_back(0xF7);
    appendVlq(body_, static_cast<std::uint32_t>(data.size()));
    body_.insert(body_.end(), data.begin(), data.end());
    forgetRunningStatus();
    return *this;
}

TrackBuilder& TrackBuilder::sysexEscape(Delta d, std::initializer_list<std::uint8_t> data) {
    return sysexEscape(d, std::span<const std::uint8_t>(data.begin(), data.size()));
}

TrackBuilder& TrackBuilder::meta(Delta d, std::uint8_t type, std::span<const std::uint8_t> data) {
    appendDelta(d);
    body_.push_back(0xFF);
    body_.push_back(type);
    appendVlq(body_, static_cast<std::uint32_t>(data.size()));
    body_.insert(body_.end(), data.begin(), data.end());
    forgetRunningStatus();
    return *this;
}

TrackBuilder& TrackBuilder::meta(Delta d, std::uint8_t type, std::initializer_list<std::uint8_t> data) {
    return meta(d, type, std::span<const std::uint8_t>(data.begin(), data.size()));
}

TrackBuilder& TrackBuilder::metaText(Delta d, std::uint8_t type, std::string_view s) {
    return meta(d, type, asBytes(s));
}

TrackBuilder& TrackBuilder::sequenceNumber(Delta d, std::uint16_t number) {
    return meta(d, 0x00, {static_cast<std::uint8_t>(number >> 8), static_cast<std::uint8_t>(number & 0xFF)});
}

TrackBuilder& TrackBuilder::text(Delta d, std::string_view s) { return metaText(d, 0x01, s); }
TrackBuilder& TrackBuilder::copyright(Delta d, std::string_view s) { return metaText(d, 0x02, s); }
TrackBuilder& TrackBuilder::trackName(Delta d, std::string_view s) { return metaText(d, 0x03, s); }
TrackBuilder& TrackBuilder::instrumentName(Delta d, std::string_view s) { return metaText(d, 0x04, s); }
TrackBuilder& TrackBuilder::lyric(Delta d, std::string_view s) { return metaText(d, 0x05, s); }
TrackBuilder& TrackBuilder::marker(Delta d, std::string_view s) { return metaText(d, 0x06, s); }
TrackBuilder& TrackBuilder::cuePoint(Delta d, std::string_view s) { return metaText(d, 0x07, s); }
TrackBuilder& TrackBuilder::deviceName(Delta d, std::string_view s) { return metaText(d, 0x09, s); }

TrackBuilder& TrackBuilder::channelPrefix(Delta d, int channel) { return meta(d, 0x20, {u8(channel & 0x0F)}); }

TrackBuilder& TrackBuilder::port(Delta d, int portNumber) { return meta(d, 0x21, {u8(portNumber)}); }

TrackBuilder& TrackBuilder::endOfTrack(Delta d) { return meta(d, 0x2F, {}); }

TrackBuilder& TrackBuilder::tempo(Delta d, std::uint32_t microsPerQuarter) {
    return meta(d, 0x51,
                {static_cast<std::uint8_t>((microsPerQuarter >> 16) & 0xFF),
                 static_cast<std::uint8_t>((microsPerQuarter >> 8) & 0xFF),
                 static_cast<std::uint8_t>(microsPerQuarter & 0xFF)});
}

TrackBuilder& TrackBuilder::smpteOffset(Delta d, int hours, int minutes, int seconds, int frames,
                                        int fractionalFrames) {
    return meta(d, 0x54, {u8(hours), u8(minutes), u8(seconds), u8(frames), u8(fractionalFrames)});
}

TrackBuilder& TrackBuilder::timeSignature(Delta d, int numerator, int denominatorPower, int clocksPerClick,
                                          int thirtySecondsPerQuarter) {
    return meta(d, 0x58, {u8(numerator), u8(denominatorPower), u8(clocksPerClick), u8(thirtySecondsPerQuarter)});
}

TrackBuilder& TrackBuilder::keySignature(Delta d, int sharpsOrFlats, bool minor) {
    return meta(d, 0x59, {u8(sharpsOrFlats), u8(minor ? 1 : 0)});
}

TrackBuilder& TrackBuilder::raw(std::span<const std::uint8_t> bytes) {
    body_.insert(body_.end(), bytes.begin(), bytes.end());
    forgetRunningStatus();
    return *this;
}

TrackBuilder& TrackBuilder::raw(std::initializer_list<std::uint8_t> bytes) {
    return raw(std::span<const std::uint8_t>(bytes.begin(), bytes.size()));
}

TrackBuilder& TrackBuilder::rawEvent(Delta d, std::initializer_list<std::uint8_t> bytes) {
    appendDelta(d);
    return raw(bytes);
}

TrackBuilder& TrackBuilder::chunkTag(std::string_view tag) {
    if (tag.size() != 4) {
        throw std::invalid_argument("chunk tag must be 4 characters");
    }
    tag_ = std::string(tag);
    return *this;
}

TrackBuilder& TrackBuilder::declaredLength(std::uint32_t length) {
    declaredLength_ = length;
    return *this;
}

Bytes TrackBuilder::chunk() const {
    Bytes out;
    out.reserve(body_.size() + 8);
    appendChunk(out, tag_, body_, declaredLength_);
    return out;
}

// ---------------------------------------------------------------------------
// SmfBuilder

SmfBuilder& SmfBuilder::format(std::uint16_t value) {
    format_ = value;
    return *this;
}

SmfBuilder& SmfBuilder::division(std::uint16_t value) {
    division_ = value;
    return *this;
}

SmfBuilder& SmfBuilder::smpteDivision(int framesPerSecond, int ticksPerFrame) {
    const auto high = static_cast<std::uint16_t>((-framesPerSecond) & 0xFF);
    division_ = static_cast<std::uint16_t>((high << 8) | (ticksPerFrame & 0xFF));
    return *this;
}

SmfBuilder& SmfBuilder::trackCount(std::uint16_t count) {
    trackCount_ = count;
    return *this;
}

SmfBuilder& SmfBuilder::headerLength(std::uint32_t length) {
    headerLength_ = length;
    return *this;
}

SmfBuilder& SmfBuilder::headerExtra(std::initializer_list<std::uint8_t> bytes) {
    headerExtra_.assign(bytes.begin(), bytes.end());
    return *this;
}

SmfBuilder& SmfBuilder::headerTag(std::string_view tag) {
    if (tag.size() != 4) {
        throw std::invalid_argument("chunk tag must be 4 characters");
    }
    headerTag_ = std::string(tag);
    return *this;
}

SmfBuilder& SmfBuilder::track(const TrackBuilder& t) {
    Bytes c = t.chunk();
    body_.insert(body_.end(), c.begin(), c.end());
    ++tracksAdded_;
    return *this;
}

SmfBuilder& SmfBuilder::track(const std::function<void(TrackBuilder&)>& fill) {
    TrackBuilder t;
    fill(t);
    return track(t);
}

SmfBuilder& SmfBuilder::chunk(std::string_view tag, std::span<const std::uint8_t> payload,
                              std::optional<std::uint32_t> declaredLength) {
    appendChunk(body_, tag, payload, declaredLength);
    return *this;
}

SmfBuilder& SmfBuilder::chunk(std::string_view tag, std::initializer_list<std::uint8_t> payload,
                              std::optional<std::uint32_t> declaredLength) {
    return chunk(tag, std::span<const std::uint8_t>(payload.begin(), payload.size()), declaredLength);
}

SmfBuilder& SmfBuilder::raw(std::span<const std::uint8_t> bytes) {
    body_.insert(body_.end(), bytes.begin(), bytes.end());
    return *this;
}

SmfBuilder& SmfBuilder::raw(std::initializer_list<std::uint8_t> bytes) {
    return raw(std::span<const std::uint8_t>(bytes.begin(), bytes.size()));
}

Bytes SmfBuilder::bytes() const {
    Bytes out;
    out.reserve(14 + headerExtra_.size() + body_.size());
    appendTag(out, headerTag_);
    appendBe32(out, headerLength_.value_or(static_cast<std::uint32_t>(6 + headerExtra_.size())));
    appendBe16(out, format_);
    appendBe16(out, trackCount_.value_or(static_cast<std::uint16_t>(tracksAdded_)));
    appendBe16(out, division_);
    out.insert(out.end(), headerExtra_.begin(), headerExtra_.end());
    out.insert(out.end(), body_.begin(), body_.end());
    return out;
}

void SmfBuilder::writeFile(const std::filesystem::path& path) const { quorvane::testing::writeFile(path, bytes()); }

}  // namespace quorvane::testing
