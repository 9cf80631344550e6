#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "file_handle.hpp"
#include "files.hpp"

namespace quorvane {

// A cut file under construction. Bytes go to a temporary file in the target's
// folder; commit() puts it in the target's place only when everything was
// written, so a failed cut leaves neither a partial file nor a changed old
// one. Without commit() the temporary file is removed. Where the file system
// allows, the file has no name while it is written, so that a killed process
// leaves nothing behind, and it takes a free target name at once; replacing
// an older file takes a rename, for which the complete file has a short
// hidden name for an instant. Elsewhere the temporary has that name
// throughout (see removeLeftoverTemporaries). Every step acts in the folder
// held open, by name: only the file's name counts toward the system's path
// limit. The target is replaced, never written through: a symbolic link in
// its place is replaced by the cut, its target untouched.
class OutputFile {
public:
    // `label` names the target in errors (the path as the user knows it).
    OutputFile(const std::filesystem::path& target, std::string label);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    void put(std::uint8_t byte) {
        if (used_ == kBufferSize) flush();
        buffer_[used_++] = byte;
    }
    void put(std::span<const std::uint8_t> bytes) {
        // The pieces of an event are a few bytes each: copied here, in line.
        const std::size_t count = bytes.size();
        if (count <= 4 && kBufferSize - used_ >= 4) {
            std::uint8_t* to = buffer_.get() + used_;
            const std::uint8_t* from = bytes.data();
            used_ += count;
            switch (count) {
                case 4: to[3] = from[3]; [[fallthrough]];
                case 3: to[2] = from[2]; [[fallthrough]];
                case 2: to[1] = from[1]; [[fallthrough]];
                case 1: to[0] = from[0]; [[fallthrough]];
                default: return;
            }
        }
        putMany(bytes);
    }
    void put(std::initializer_list<std::uint8_t> bytes) { put(std::span(bytes.begin(), bytes.size())); }
    // A sink for ByteReader::copy.
    void operator()(std::span<const std::uint8_t> bytes) { put(bytes); }

    // Free room at the end of the write buffer, at least `least` bytes (no
    // more than 4096), for loops that write directly (then wrote() what they
    // used).
    std::span<std::uint8_t> room(std::size_t least) {
        if (kBufferSize - used_ < least) flush();
        return {buffer_.get() + used_, kBufferSize - used_};
    }
    void wrote(std::size_t count) noexcept { used_ += count; }

    std::uint64_t size() const noexcept { return written_ + used_; }
    // Overwrites four bytes, most significant first, at `offset`.
    void patchU32(std::uint64_t offset, std::uint32_t value);
    // Overwrites bytes already put, from `offset` on (a header written again
    // once the sizes in it are known).
    void overwrite(std::uint64_t offset, std::span<const std::uint8_t> bytes);
    // Makes the file the target; throws FileError(CannotWrite) on failure.
    void commit();

    // For tests that kill a cut half way: called with "writing" each time
    // bytes reach the file, "complete" before the file is named, "named"
    // between naming it and putting it in place over an older file.
    static inline void (*stepHook)(const char* step) = nullptr;

private:
    void flush();
    void putMany(std::span<const std::uint8_t> bytes);
    [[noreturn]] void fail(const std::string& what) const;

    std::unique_ptr<OpenFolder> folder_;
    std::filesystem::path name_;  // the target's name in folder_
    std::filesystem::path temp_;  // the temporary's name; empty while the file has no name
    std::string label_;
    FileHandle file_;
    // Bytes go to the file only when this is full, and at the end, each time
    // in one write: a cut of a small song is written with a single write.
    static constexpr std::size_t kBufferSize = std::size_t{64} * 1024;
    std::unique_ptr<std::uint8_t[]> buffer_;  // not cleared: only the used part is written
    std::size_t used_ = 0;
    std::uint64_t written_ = 0;
    bool committed_ = false;
};

// Removes what killed cuts left in `folder` (UTF-8): files named as our
// temporaries are, that no running cut holds (each holds a lock on its own
// temporary until it is in place). Other files are never touched.
void removeLeftoverTemporaries(const std::string& folder);

// True for the names our temporaries take: ".quorvane-XXXXXXXX.tmp", and
// ".NAME-CUT.mid.XXXXXXXX.tmp" from earlier versions (X: 0-9, a-z).
bool isTemporaryName(const std::string& name);

}  // namespace quorvane
