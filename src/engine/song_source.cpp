#include "song_source.hpp"

#include <cstdio>

#include "errors.hpp"
#include "platform/file_handle.hpp"
#include "platform/files.hpp"

namespace quorvane {

SongSource::SongSource(std::string path) : path_(std::move(path)) {
    std::string reason;
    std::uint64_t size = 0;
    const FileHandle file(openRegularForReading(pathFromUtf8(path_), reason, &size));
    if (!file) throw FileError(ErrorKind::CannotOpen, path_, reason);
    if (size > kWholeSongBytes) return;
    // One byte more than the size: a file that grew since it was opened is
    // read to its end by the streaming passes instead.
    const std::size_t wanted = static_cast<std::size_t>(size) + 1;
    auto bytes = std::make_unique_for_overwrite<std::uint8_t[]>(wanted);
    std::setvbuf(file.get(), nullptr, _IONBF, 0);  // straight into `bytes`
    const std::size_t got = std::fread(bytes.get(), 1, wanted, file.get());
    if (std::ferror(file.get())) throw FileError(ErrorKind::CannotRead, path_, "read error", got);
    if (got == wanted) return;
    bytes_ = std::move(bytes);
    size_ = got;
}

ByteReader SongSource::reader() const {
    if (!bytes_) return ByteReader::open(pathFromUtf8(path_), path_);
    return ByteReader(std::span<const std::uint8_t>(bytes_.get(), size_), path_);
}

ByteReader readSong(const std::string& path, const SongSource* song) {
    if (song && song->path() == path) return song->reader();
    return ByteReader::open(pathFromUtf8(path), path);
}

}  // namespace quorvane
