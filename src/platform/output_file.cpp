#include "output_file.hpp"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <random>
#include <system_error>

#include "file_error.hpp"
#include "files.hpp"
#include "text.hpp"

namespace quorvane {

namespace {

std::string uniqueSuffix() {
    static std::atomic<std::uint64_t> counter{0};
    static const std::uint64_t kSeed =
        std::random_device{}() ^
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    std::uint64_t value = kSeed + 0x9E3779B97F4A7C15ull * ++counter;
    static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string text;
    for (int i = 0; i < 8; ++i) {
        text += kDigits[value % 36];
        value /= 36;
    }
    return text;
}

constexpr char kTempPrefix[] = ".quorvane-";
constexpr char kTempSuffix[] = ".tmp";

// A short name, whatever the length of the target's: a long song name must
// not make the temporary's name too long for the file system.
std::string temporaryName() { return kTempPrefix + uniqueSuffix() + kTempSuffix; }

std::string lastErrorText() {
    const int code = errno;
    return code ? std::generic_category().message(code) : "unknown error";
}

}  // namespace

OutputFile::OutputFile(const std::filesystem::path& target, std::string label)
    : name_(target.filename()),
      label_(std::move(label)),
      buffer_(std::make_unique_for_overwrite<std::uint8_t[]>(kBufferSize)) {
    const std::filesystem::path folder = target.parent_path();
    std::error_code error;
    if (!folder.empty() && !std::filesystem::is_directory(folder, error)) {
        throw FileError(
            ErrorKind::CannotWrite, label_,
            std::filesystem::exists(folder, error) ? "the destination is not a folder" : "the folder does not exist");
    }
    errno = 0;
    folder_ = std::make_unique<OpenFolder>(folder);
    if (!folder_->isOpen()) fail("cannot open its folder");
    file_.reset(folder_->createUnnamed());
    for (int attempt = 0; attempt < 16 && !file_; ++attempt) {
        temp_ = temporaryName();
        errno = 0;
        file_.reset(folder_->createNew(temp_));  // exclusive: never reuse an existing name
        if (!file_ && errno != EEXIST) break;
    }
    if (!file_) {
        temp_.clear();
        fail("cannot create a file in its folder");
    }
    // Held until the file is closed: a batch starting meanwhile leaves it alone.
    lockFile(file_.get());
    // Our own buffer is the only one: each flush is one write to the file.
    std::setvbuf(file_.get(), nullptr, _IONBF, 0);
}

OutputFile::~OutputFile() {
    if (committed_) return;
    if (!kOpenFilesMayBeRenamed) file_.reset();
    if (!temp_.empty()) folder_->remove(temp_);
    file_.reset();
}

void OutputFile::putMany(std::span<const std::uint8_t> bytes) {
    if (bytes.size() >= kBufferSize) {
        flush();
        if (std::fwrite(bytes.data(), 1, bytes.size(), file_.get()) != bytes.size()) fail("write failed");
        written_ += bytes.size();
        if (stepHook) stepHook("writing");
        return;
    }
    if (used_ + bytes.size() > kBufferSize) flush();
    std::memcpy(buffer_.get() + used_, bytes.data(), bytes.size());
    used_ += bytes.size();
}

void OutputFile::flush() {
    if (used_ == 0) return;
    if (std::fwrite(buffer_.get(), 1, used_, file_.get()) != used_) fail("write failed");
    written_ += used_;
    used_ = 0;
    if (stepHook) stepHook("writing");
}

void OutputFile::patchU32(std::uint64_t offset, std::uint32_t value) {
    const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(value >> 24), static_cast<std::uint8_t>(value >> 16),
                                   static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)};
    if (offset + 4 <= written_) {
        flush();
        if (!seekFile(file_.get(), offset) || std::fwrite(bytes, 1, 4, file_.get()) != 4 ||
            std::fseek(file_.get(), 0, SEEK_END) != 0) {
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

void OutputFile::overwrite(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
    if (offset > size() || bytes.size() > size() - offset) fail("cannot update the file past its end");
    if (offset >= written_) {
        std::memcpy(buffer_.get() + (offset - written_), bytes.data(), bytes.size());
        return;
    }
    flush();
    if (!seekFile(file_.get(), offset) || std::fwrite(bytes.data(), 1, bytes.size(), file_.get()) != bytes.size() ||
        std::fseek(file_.get(), 0, SEEK_END) != 0) {
        fail("write failed");
    }
}

void OutputFile::commit() {
    flush();
    if (std::fflush(file_.get()) != 0) fail("write failed");
    if (stepHook) stepHook("complete");
    if (temp_.empty()) {
        // Where the target's name is free (a first cut), the complete file
        // takes it at once: one change to the folder instead of two.
        errno = 0;
        if (folder_->nameUnnamed(file_.get(), name_)) {
            committed_ = true;
            file_.reset();
            return;
        }
        // A link cannot replace a file, so the complete file gets a short
        // name first and is then renamed over the target.
        for (int attempt = 0; attempt < 16 && temp_.empty(); ++attempt) {
            const std::filesystem::path name = temporaryName();
            errno = 0;
            if (folder_->nameUnnamed(file_.get(), name))
                temp_ = name;
            else if (errno != EEXIST)
                fail("cannot give the file a name");
        }
        if (temp_.empty()) fail("cannot give the file a name");
        if (stepHook) stepHook("named");
    }
    if (!kOpenFilesMayBeRenamed) file_.reset();
    std::string reason;
    if (!folder_->replace(temp_, name_, reason)) {
        folder_->remove(temp_);
        temp_.clear();
        throw FileError(ErrorKind::CannotWrite, label_, "cannot replace the file: " + reason);
    }
    committed_ = true;
    // Every byte went to the system with fflush(); closing only releases the lock.
    file_.reset();
}

void OutputFile::fail(const std::string& what) const {
    // The code goes with the text: a full or read-only folder is told from
    // a fault of this one file by it.
    const int code = errno;
    throw FileError(ErrorKind::CannotWrite, label_, what + ": " + lastErrorText(),
                    std::error_code(code, std::generic_category()));
}

bool isTemporaryName(const std::string& name) {
    constexpr std::size_t kCode = 8, kTail = kCode + sizeof kTempSuffix - 1;
    if (name.size() <= kTail || name.compare(name.size() - 4, 4, kTempSuffix) != 0) return false;
    for (std::size_t k = name.size() - kTail; k < name.size() - 4; ++k) {
        const char c = name[k];
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z'))) return false;
    }
    const std::string head = name.substr(0, name.size() - kTail);
    if (head == kTempPrefix) return true;
    constexpr std::size_t kOld = sizeof "-cut.mid." - 1;  // ".NAME-CUT.mid." of earlier versions
    return head.size() > kOld && head.front() == '.' && asciiLower(head.substr(head.size() - kOld)) == "-cut.mid.";
}

void removeLeftoverTemporaries(const std::string& folder) {
    const OpenFolder open(pathFromUtf8(folder));
    if (!open.isOpen()) return;
    for (const std::filesystem::path& name : open.names()) {
        if (isTemporaryName(utf8FromPath(name))) open.removeUnlocked(name);
    }
}

}  // namespace quorvane
