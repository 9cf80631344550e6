#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "byte_reader.hpp"

namespace quorvane {

// A song opened once for all the passes over it (pre-read, measure, cut).
// A song of up to kWholeSongBytes is read whole into memory with one read,
// and every pass reads that copy; a larger one is read again by each pass
// through a fixed-size buffer, so memory stays bounded whatever the song.
class SongSource {
public:
    // Small enough that a batch cutting two songs at once stays within the
    // 16 MB a single cut may take; nearly every song is far smaller.
    static constexpr std::uint64_t kWholeSongBytes = std::uint64_t{4} * 1024 * 1024;

    // Opens the regular file at `path` (UTF-8). Throws FileError: CannotOpen
    // (also for folders, pipes and devices), CannotRead.
    explicit SongSource(std::string path);

    const std::string& path() const noexcept { return path_; }
    bool inMemory() const noexcept { return bytes_ != nullptr; }
    // A reader at the song's first byte, errors naming the path.
    ByteReader reader() const;

private:
    std::string path_;
    std::unique_ptr<std::uint8_t[]> bytes_;  // null: read from the file by each pass
    std::size_t size_ = 0;
};

// A reader of the song at `path`: from `song` when it holds that song, else
// from the file.
ByteReader readSong(const std::string& path, const SongSource* song);

}  // namespace quorvane
