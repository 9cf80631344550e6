#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include "engine/app_state.hpp"
#include "engine/errors.hpp"

namespace quorvane::test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

inline Bytes be32(std::uint32_t v) {
    return {std::uint8_t(v >> 24), std::uint8_t(v >> 16), std::uint8_t(v >> 8), std::uint8_t(v)};
}

// "MThd" with the standard length 6.
inline Bytes header(std::uint16_t format, std::uint16_t tracks, std::uint16_t division) {
    return cat({{'M', 'T', 'h', 'd'}, be32(6),
                {std::uint8_t(format >> 8), std::uint8_t(format), std::uint8_t(tracks >> 8), std::uint8_t(tracks),
                 std::uint8_t(division >> 8), std::uint8_t(division)}});
}

inline Bytes chunk(const char* tag, const Bytes& data) {
    return cat({Bytes(tag, tag + 4), be32(static_cast<std::uint32_t>(data.size())), data});
}
inline Bytes track(const Bytes& events) { return chunk("MTrk", events); }

inline const Bytes kEndOfTrack = {0x00, 0xFF, 0x2F, 0x00};
inline Bytes tempoEvent(std::uint32_t tempo) {
    return {0x00, 0xFF, 0x51, 0x03, std::uint8_t(tempo >> 16), std::uint8_t(tempo >> 8), std::uint8_t(tempo)};
}

// A fresh folder under the system's temp folder, removed afterwards.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    std::string write(const std::string& name, const Bytes& bytes) const;
    std::vector<std::string> names() const;

private:
    std::filesystem::path path_;
};

Bytes readBytes(const std::string& path);

// Expects `call` to throw FileError of `kind`; returns its message.
template <typename Call>
std::string expectFileError(Call&& call, ErrorKind kind = ErrorKind::UnreadableMidi) {
    try {
        call();
    } catch (const FileError& error) {
        EXPECT_EQ(error.kind(), kind) << userMessage(error);
        return userMessage(error);
    }
    ADD_FAILURE() << "no FileError was thrown";
    return {};
}

}  // namespace quorvane::test
