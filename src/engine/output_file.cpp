#include "output_file.hpp"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <random>
#include <system_error>

#include "errors.hpp"
#include "platform_files.hpp"

namespace quorvane {

namespace {

constexpr std::size_t kBufferSize = 64 * 1024;

std::string uniqueSuffix() {
    static std::atomic<std::uint64_t> counter{0};
    static const std::uint64_t seed = std::random_device{}() ^
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    std::uint64_t value = seed + 0x9E3779B97F4A7C15ull * ++counter;
    static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string text;
    for (int i = 0; i < 8; ++i) {
        text += kDigits[value % 36];
        value /= 36;
    }
    return text;
}

std::string lastErrorText() {
    const int code = errno;
    return code ? std::generic_category().message(code) : "unknown error";
}

}  // namespace

OutputFile::OutputFile(const std::filesystem::path& target, std::string label)
    : target_(target), label_(std::move(label)), buffer_(kBufferSize) {
    const std::filesystem::path folder = target_.parent_path();
    std::error_code error;
    if (!folder.empty() && !std::filesystem::is_directory(folder, error)) {
        throw FileError(ErrorKind::CannotWrite, label_, "the folder does not exist");
    }
    for (int attempt = 0; attempt < 16 && !file_; ++attempt) {
        std::string name(1, '.');
        name.append(utf8FromPath(target_.filename())).append(".").append(uniqueSuffix()).append(".tmp");
        temp_ = target_;
        temp_.replace_filename(pathFromUtf8(name));
        errno = 0;
        file_.reset(openFile(temp_, "wbx"));  // exclusive: never reuse an existing name
        if (!file_ && errno != EEXIST) break;
    }
    if (!file_) fail("cannot create a file in its folder");
}

OutputFile::~OutputFile() {
    if (committed_) return;
    file_.reset();
    std::error_code ignored;
    std::filesystem::remove(temp_, ignored);
}

void OutputFile::putMany(std::span<const std::uint8_t> bytes) {
    if (bytes.size() >= buffer_.size()) {
        flush();
        if (std::fwrite(bytes.data(), 1, bytes.size(), file_.get()) != bytes.size()) fail("write failed");
        written_ += bytes.size();
        return;
    }
    if (used_ + bytes.size() > buffer_.size()) flush();
    std::memcpy(buffer_.data() + used_, bytes.data(), bytes.size());
    used_ += bytes.size();
}

void OutputFile::flush() {
    if (used_ == 0) return;
    if (std::fwrite(buffer_.data(), 1, used_, file_.get()) != used_) fail("write failed");
    written_ += used_;
    used_ = 0;
}

void OutputFile::patchU32(std::uint64_t offset, std::uint32_t value) {
    const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(value >> 24), static_cast<std::uint8_t>(value >> 16),
                                   static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)};
    if (offset + 4 <= written_) {
        flush();
        if (std::fseek(file_.get(), static_cast<long>(offset), SEEK_SET) != 0 ||
            std::fwrite(bytes, 1, 4, file_.get()) != 4 || std::fseek(file_.get(), 0, SEEK_END) != 0) {
            fail("cannot update the track length");
        }
        return;
    }
    // Still in the buffer (or straddling it): patch byte by byte.
    for (int i = 0; i < 4; ++i) {
        const std::uint64_t at = offset + i;
        if (at >= written_) {
            buffer_[at - written_] = bytes[i];
        } else {
            flush();
            return patchU32(offset, value);
        }
    }
}

void OutputFile::commit() {
    flush();
    if (std::fflush(file_.get()) != 0) fail("write failed");
    std::FILE* raw = file_.release();
    if (std::fclose(raw) != 0) fail("write failed");
    std::error_code error;
    std::filesystem::rename(temp_, target_, error);
    if (error) {
        std::filesystem::remove(temp_, error);
        throw FileError(ErrorKind::CannotWrite, label_, "cannot replace the file: " + error.message());
    }
    committed_ = true;
}

void OutputFile::fail(const std::string& what) const {
    throw FileError(ErrorKind::CannotWrite, label_, what + ": " + lastErrorText());
}

}  // namespace quorvane
