#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/file_handle.hpp"
#include "vlq.hpp"

namespace quorvane {

// What a read throws once the reader has been asked to stop (stopWhen).
class ReadStopped : public std::exception {
public:
    const char* what() const noexcept override { return "the read was stopped"; }
};

// Sequential, checked reader of a file's bytes. Every read checks the end of
// the data and throws FileError(UnreadableMidi) naming the file and the
// offset where the bytes ran out. Files are read through a fixed-size buffer,
// so memory does not grow with the file.
class ByteReader {
public:
    // Reads from memory (tests, fuzzing). `label` names the data in errors.
    ByteReader(std::span<const std::uint8_t> data, std::string label);
    // Opens a regular file; throws FileError(CannotOpen) when it cannot or
    // when the name is a folder, a pipe or a device.
    static ByteReader open(const std::filesystem::path& path, std::string label);

    ByteReader(ByteReader&&) noexcept = default;
    ByteReader& operator=(ByteReader&&) noexcept = default;

    std::uint8_t u8() {
        if (pos_ == end_) refill(1);
        return data_[pos_++];
    }
    std::uint16_t u16be();
    std::uint32_t u32be();
    // A variable-length quantity of one to four bytes, its raw bytes kept.
    Vlq vlq() {
        if (end_ - pos_ < 4) return vlqNearEnd();
        // All four bytes a quantity may take are buffered: no checks per byte.
        Vlq out;
        const std::size_t size = decodeVlq(data_ + pos_, out.value);
        if (size == 0) failLongVlq(offset());
        std::copy_n(data_ + pos_, size, out.raw.begin());
        out.size = static_cast<std::uint8_t>(size);
        pos_ += size;
        return out;
    }

    // Moves `count` bytes to `sink(std::span<const std::uint8_t>)`, piece by piece.
    template <typename Sink>
    void copy(std::uint64_t count, Sink&& sink) {
        while (count > 0) {
            if (pos_ == end_) refill(count);
            const std::size_t piece = static_cast<std::size_t>(std::min<std::uint64_t>(count, end_ - pos_));
            sink(std::span<const std::uint8_t>(data_ + pos_, piece));
            pos_ += piece;
            count -= piece;
        }
    }
    void skip(std::uint64_t count) {
        copy(count, [](std::span<const std::uint8_t>) {});
    }

    // The bytes read ahead of the current position, for loops that take
    // them directly (then advance() past what they used).
    std::span<const std::uint8_t> buffered() const noexcept { return {data_ + pos_, end_ - pos_}; }
    void advance(std::size_t count) noexcept { pos_ += count; }

    // Makes the data end at `at` (no earlier than the current offset), the
    // end of a chunk: buffered() and the fast paths stop there, and a read
    // across it fails. atLimit() tells when the reader stands on it.
    void setLimit(std::uint64_t at) noexcept {
        limit_ = at;
        clampEnd();
    }
    void clearLimit() noexcept {
        limit_ = kNoLimit;
        end_ = filled_;
    }
    bool atLimit() const noexcept { return offset() == limit_; }

    // Offset of the next byte from the start of the data.
    std::uint64_t offset() const noexcept { return base_ + pos_; }
    const std::string& label() const noexcept { return label_; }

    // Throws the UnreadableMidi error for this file at `at` with `reason`.
    [[noreturn]] void fail(const std::string& reason, std::uint64_t at) const;

    void close() noexcept { file_.reset(); }

    // Once `*stop` is set, the next read from the file throws ReadStopped: a
    // long pass whose result nobody waits for any more ends within a buffer.
    void stopWhen(const std::atomic<bool>* stop) noexcept { stop_ = stop; }

private:
    static constexpr std::uint64_t kNoLimit = ~std::uint64_t{0};

    ByteReader() = default;
    void clampEnd() noexcept { end_ = limit_ - base_ < filled_ ? static_cast<std::size_t>(limit_ - base_) : filled_; }
    void refill(std::uint64_t wanted);
    Vlq vlqNearEnd();
    [[noreturn]] void failLongVlq(std::uint64_t at) const;

    FileHandle file_;
    std::unique_ptr<std::uint8_t[]> buffer_;  // not cleared: only what fread fills is read
    const std::uint8_t* data_ = nullptr;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;     // end of the readable bytes: filled_, or the limit
    std::size_t filled_ = 0;  // end of the bytes in data_
    std::uint64_t base_ = 0;  // file offset of data_[0]
    std::uint64_t limit_ = kNoLimit;
    std::string label_;
    const std::atomic<bool>* stop_ = nullptr;
};

}  // namespace quorvane
