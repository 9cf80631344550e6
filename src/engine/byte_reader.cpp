#include "byte_reader.hpp"

#include <cerrno>
#include <cstring>
#include <system_error>

#include "errors.hpp"
#include "platform/files.hpp"

namespace quorvane {

namespace {
constexpr std::size_t kBufferSize = std::size_t{64} * 1024;
}

ByteReader::ByteReader(std::span<const std::uint8_t> data, std::string label)
    : data_(data.data()), end_(data.size()), filled_(data.size()), label_(std::move(label)) {}

ByteReader ByteReader::open(const std::filesystem::path& path, std::string label) {
    ByteReader reader;
    reader.label_ = std::move(label);
    std::string reason;
    reader.file_.reset(openRegularForReading(path, reason));
    if (!reader.file_) throw FileError(ErrorKind::CannotOpen, reader.label_, reason);
    // Unbuffered: fread fills our buffer straight from the file.
    std::setvbuf(reader.file_.get(), nullptr, _IONBF, 0);
    reader.buffer_ = std::make_unique_for_overwrite<std::uint8_t[]>(kBufferSize);
    reader.data_ = reader.buffer_.get();
    return reader;
}

void ByteReader::refill(std::uint64_t wanted) {
    if (stop_ && stop_->load(std::memory_order_relaxed)) throw ReadStopped();
    if (atLimit()) {
        fail("the track chunk ends inside an event (" + std::to_string(wanted) +
                 (wanted == 1 ? " more byte expected)" : " more bytes expected)"),
             offset());
    }
    base_ += filled_;
    pos_ = end_ = filled_ = 0;
    if (file_) {
        filled_ = std::fread(buffer_.get(), 1, kBufferSize, file_.get());
        clampEnd();
        if (filled_ > 0) return;
        if (std::ferror(file_.get())) {
            throw FileError(ErrorKind::CannotRead, label_, "read error", base_);
        }
    }
    fail("the file ends early (" + std::to_string(wanted) +
             (wanted == 1 ? " more byte expected)" : " more bytes expected)"),
         base_);
}

std::uint16_t ByteReader::u16be() {
    const std::uint16_t hi = u8();
    return static_cast<std::uint16_t>((hi << 8) | u8());
}

std::uint32_t ByteReader::u32be() {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value = (value << 8) | u8();
    return value;
}

Vlq ByteReader::vlqNearEnd() {
    const std::uint64_t start = offset();
    Vlq out;
    std::uint8_t byte;
    do {
        byte = u8();
        out.raw[out.size++] = byte;
        out.value = (out.value << 7) | (byte & 0x7Fu);
    } while ((byte & 0x80) && out.size < 4);
    // Four bytes with the continuation bit still set are not a quantity any
    // reader agrees on; copying them would make a file others misread.
    if (byte & 0x80) failLongVlq(start);
    return out;
}

void ByteReader::failLongVlq(std::uint64_t at) const { fail("variable-length quantity longer than four bytes", at); }

void ByteReader::fail(const std::string& reason, std::uint64_t at) const {
    throw FileError(ErrorKind::UnreadableMidi, label_, reason, at);
}

}  // namespace quorvane
