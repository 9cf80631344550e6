#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace quorvane {

// A cut file under construction. Bytes go to a temporary file in the target's
// folder; commit() renames it over the target only when everything was
// written, so a failed cut leaves neither a partial file nor a changed old one.
// Without commit() the temporary file is removed.
class OutputFile {
public:
    // `label` names the target in errors (the path as the user knows it).
    OutputFile(const std::filesystem::path& target, std::string label);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    void put(std::uint8_t byte) {
        if (used_ == buffer_.size()) flush();
        buffer_[used_++] = byte;
    }
    void put(std::span<const std::uint8_t> bytes);
    void put(std::initializer_list<std::uint8_t> bytes) { put(std::span(bytes.begin(), bytes.size())); }
    // A sink for ByteReader::copy.
    void operator()(std::span<const std::uint8_t> bytes) { put(bytes); }

    std::uint64_t size() const noexcept { return written_ + used_; }
    // Overwrites four bytes, most significant first, at `offset`.
    void patchU32(std::uint64_t offset, std::uint32_t value);
    // Makes the file the target; throws FileError(CannotWrite) on failure.
    void commit();

private:
    struct FileCloser {
        void operator()(std::FILE* f) const noexcept { std::fclose(f); }
    };
    void flush();
    [[noreturn]] void fail(const std::string& what) const;

    std::filesystem::path target_;
    std::filesystem::path temp_;
    std::string label_;
    std::unique_ptr<std::FILE, FileCloser> file_;
    std::vector<std::uint8_t> buffer_;
    std::size_t used_ = 0;
    std::uint64_t written_ = 0;
    bool committed_ = false;
};

}  // namespace quorvane
