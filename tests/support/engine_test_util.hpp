#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include "engine/cutters.hpp"
#include "engine/errors.hpp"
#include "engine/pre_reader.hpp"
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

// A request to cut the song at `source` at `cutTicks`, with the tempo of its pre-read.
inline CutRequest preparedRequest(const std::string& source, double cutTicks) {
    const SongHeader song = preRead(source);
    CutRequest request;
    request.source = source;
    request.cutTicks = cutTicks;
    request.tempo = song.tempo;
    request.tickMs = song.tickMs;
    return request;
}

// A fresh folder under the system's temp folder, removed afterwards.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::filesystem::path& path() const { return path_; }
    // Names and paths in UTF-8, as the program keeps them.
    std::string file(const std::string& name) const;
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
