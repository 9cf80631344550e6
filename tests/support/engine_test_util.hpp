#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "engine/cut_points.hpp"
#include "engine/cutters.hpp"
#include "engine/errors.hpp"
#include "platform/files.hpp"
#include "engine/pre_reader.hpp"
#include "engine/vlq.hpp"
// The suites that share these helpers do not all link the song generator;
// the literal pieces are header-only.
#include "midi_bytes.hpp"

namespace quorvane::test {

using testing::be32;
using testing::Bytes;
using testing::cat;
using testing::chunk;
using testing::header;
using testing::kEndOfTrack;
using testing::tempoEvent;
using testing::track;

// A request to cut the song at `source` at `cutTick`, a source tick (for a
// Format 1 song, a bar line; kWholeSong: no cut).
inline CutRequest preparedRequest(const std::string& source, std::uint64_t cutTick) {
    CutRequest request;
    request.source = source;
    request.cutTick = cutTick;
    return request;
}

// The names in `folder`, sorted.
inline std::vector<std::string> namesIn(const std::filesystem::path& folder) {
    std::vector<std::string> out;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        out.push_back(utf8FromPath(entry.path().filename()));
    std::sort(out.begin(), out.end());
    return out;
}

// A fresh folder under the system's temp folder, removed afterwards. Names
// and paths in UTF-8, as the program keeps them.
class TempDir {
public:
    TempDir() {
        static std::atomic<int> counter{0};
        const auto tag = std::to_string(std::random_device{}()) + "-" + std::to_string(counter++);
        path_ = std::filesystem::temp_directory_path() / ("quorvane-test-" + tag);
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return utf8FromPath(path_ / pathFromUtf8(name)); }
    std::string write(const std::string& name, const Bytes& bytes) const {
        const std::string path = file(name);
        std::ofstream(pathFromUtf8(path), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    std::vector<std::string> names() const { return namesIn(path_); }

private:
    std::filesystem::path path_;
};

// The bytes of a variable-length quantity.
inline Bytes vlqBytes(std::uint32_t value) {
    const Vlq v = encodeVlq(value);
    return Bytes(v.bytes().begin(), v.bytes().end());
}

// A track's events from (tick, message) pairs in time order, with a repeated
// channel status left out (running status).
inline Bytes timed(const std::vector<std::pair<std::uint64_t, Bytes>>& events) {
    Bytes out;
    std::uint64_t tick = 0;
    std::uint8_t running = 0;
    for (const auto& [at, message] : events) {
        const Bytes delta = vlqBytes(static_cast<std::uint32_t>(at - tick));
        out.insert(out.end(), delta.begin(), delta.end());
        out.insert(out.end(), message.begin() + (message[0] == running && running < 0xF0), message.end());
        running = message[0];
        tick = at;
    }
    return out;
}

inline Bytes readBytes(const std::string& path) {
    std::ifstream in(pathFromUtf8(path), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Whether `text` holds `part`; a failure shows both.
inline ::testing::AssertionResult has(const std::string& text, const std::string& part) {
    if (text.find(part) != std::string::npos) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "no \"" << part << "\" in:\n" << text;
}

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
