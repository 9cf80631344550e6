#include "files.hpp"

#include <cerrno>
#include <string>
#include <string_view>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

#include <cstdint>
#include <windows.h>
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace quorvane {

namespace {
constexpr char kHardLinkReason[] = "it has other names (hard links), and is never written through one";
}  // namespace

bool seekFile(std::FILE* file, std::uint64_t offset) {
    if (offset > static_cast<std::uint64_t>(INT64_MAX)) return false;
#ifdef _WIN32
    return ::_fseeki64(file, static_cast<__int64>(offset), SEEK_SET) == 0;
#else
    return ::fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}

#ifdef _WIN32

namespace {
std::string windowsReason(DWORD code) { return std::system_category().message(static_cast<int>(code)); }
// The errno closest to a Windows error, for callers that look at errno.
int errnoOf(DWORD code) {
    switch (code) {
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS: return EEXIST;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND: return ENOENT;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION: return EACCES;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL: return ENOSPC;
        default: return EIO;
    }
}
std::FILE* streamFromHandle(HANDLE handle, int flags, const char* mode) {
    const int fd = ::_open_osfhandle(reinterpret_cast<std::intptr_t>(handle), flags);
    if (fd < 0) {
        ::CloseHandle(handle);
        return nullptr;
    }
    std::FILE* file = ::_fdopen(fd, mode);
    if (!file) ::_close(fd);
    return file;
}
}  // namespace

OpenFolder::OpenFolder(const std::filesystem::path& path) : path_(path.empty() ? "." : path) {}
OpenFolder::~OpenFolder() = default;
bool OpenFolder::isOpen() const noexcept { return true; }

std::FILE* OpenFolder::createNew(const std::filesystem::path& name) const {
    // Without FILE_SHARE_DELETE: nobody removes or renames it while it is open.
    const HANDLE handle = ::CreateFileW((path_ / name).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        errno = errnoOf(::GetLastError());
        return nullptr;
    }
    std::FILE* file = streamFromHandle(handle, _O_WRONLY | _O_BINARY, "wb");
    if (!file) errno = EIO;
    return file;
}

bool OpenFolder::replace(const std::filesystem::path& from, const std::filesystem::path& to,
                         std::string& reason) const {
    // Without MOVEFILE_COPY_ALLOWED: a copy would not be one step. A target
    // that is open in another program is refused, and so is a read-only one,
    // which the user meant to keep (checked here too: Wine would replace it).
    const std::filesystem::path target = path_ / to;
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        reason = windowsReason(ERROR_ACCESS_DENIED);
        return false;
    }
    if (::MoveFileExW((path_ / from).c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    reason = windowsReason(::GetLastError());
    return false;
}

std::FILE* openRegularForReading(const std::filesystem::path& path, std::string& reason, std::uint64_t* size) {
    const HANDLE handle = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        reason = windowsReason(::GetLastError());
        return nullptr;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileInformationByHandle(handle, &info) && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        reason = "is a folder, not a file";
    } else if (::GetFileType(handle) != FILE_TYPE_DISK) {
        reason = "not a regular file";
    } else {
        if (size) *size = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
        return streamFromHandle(handle, _O_RDONLY | _O_BINARY, "rb");
    }
    ::CloseHandle(handle);
    return nullptr;
}

LockedFile openLockedForWriting(const std::filesystem::path& path) {
    LockedFile out;
    // FILE_FLAG_OPEN_REPARSE_POINT opens a link itself, never its target.
    const HANDLE handle = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                        OPEN_ALWAYS, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD code = ::GetLastError();
        out.busy = code == ERROR_SHARING_VIOLATION;
        out.reason = windowsReason(code);
        return out;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    OVERLAPPED whole{};
    if (!::GetFileInformationByHandle(handle, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) ||
        ::GetFileType(handle) != FILE_TYPE_DISK) {
        out.reason = "not a regular file";
    } else if (info.nNumberOfLinks > 1) {
        out.reason = kHardLinkReason;
    } else if (!::LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD,
                             &whole)) {
        out.busy = true;
    } else if (!::SetEndOfFile(handle)) {
        out.reason = windowsReason(::GetLastError());
    } else {
        out.file = streamFromHandle(handle, _O_WRONLY | _O_BINARY, "wb");
        if (!out.file) out.reason = "cannot be opened";
        return out;
    }
    ::CloseHandle(handle);
    return out;
}

// Windows has no unnamed files: cut files use a named temporary there.
std::FILE* OpenFolder::createUnnamed() const { return nullptr; }
bool OpenFolder::nameUnnamed(std::FILE*, const std::filesystem::path&) const {
    errno = ENOSYS;
    return false;
}

bool OpenFolder::remove(const std::filesystem::path& name) const { return ::DeleteFileW((path_ / name).c_str()) != 0; }

// An open file cannot be deleted on Windows (files are opened without
// FILE_SHARE_DELETE), which marks a temporary in use by itself.
bool lockFile(std::FILE*) { return true; }
bool OpenFolder::removeUnlocked(const std::filesystem::path& name) const {
    const std::filesystem::path path = path_ / name;
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY))) {
        return false;
    }
    return ::DeleteFileW(path.c_str()) != 0;
}

std::vector<std::filesystem::path> OpenFolder::names() const {
    std::vector<std::filesystem::path> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(path_, error), end; !error && it != end; it.increment(error)) {
        names.push_back(it->path().filename());
    }
    return names;
}

namespace {
// The name of a kernel object for `folder`: its full path, case folded as
// the file system folds it, with the backslashes an object's name cannot
// hold replaced; a hash of it where that would be too long.
std::wstring objectName(const wchar_t* kind, const std::filesystem::path& folder) {
    std::wstring full(32768, L'\0');
    const DWORD length = ::GetFullPathNameW(folder.empty() ? L"." : folder.c_str(), static_cast<DWORD>(full.size()),
                                            full.data(), nullptr);
    full.resize(length < full.size() ? length : 0);
    if (full.empty()) full = folder.wstring();
    while (full.size() > 3 && (full.back() == L'\\' || full.back() == L'/')) full.pop_back();
    ::CharUpperBuffW(full.data(), static_cast<DWORD>(full.size()));
    for (wchar_t& c : full) {
        if (c == L'\\') c = L'/';
    }
    if (full.size() > 200) {
        std::uint64_t hash = 0xcbf29ce484222325ull;  // FNV-1a
        for (const wchar_t c : full) hash = (hash ^ static_cast<std::uint16_t>(c)) * 0x100000001b3ull;
        wchar_t text[17];
        ::swprintf(text, 17, L"%016llx", static_cast<unsigned long long>(hash));
        full = text;
    }
    return std::wstring(L"Local\\quorvane ") + kind + L" " + full;
}
}  // namespace

// A batch owns the mutex for its whole run. A single cut owns it only for the
// instant it takes to open the event that marks single cuts running (an
// event lives while anyone holds it): a batch that owns the mutex and finds
// no such event is alone.
DestinationLock::DestinationLock(const std::filesystem::path& folder, Use use) : use_(use) {
    const HANDLE mutex = ::CreateMutexW(nullptr, FALSE, objectName(L"batch", folder).c_str());
    if (!mutex) return;
    const DWORD wait = ::WaitForSingleObject(mutex, 0);
    if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) {  // abandoned: its batch was killed
        ::CloseHandle(mutex);
        refusedBy_ = Holder::Batch;
        return;
    }
    const std::wstring cuts = objectName(L"cut", folder);
    if (use == Use::Batch) {
        if (const HANDLE running = ::OpenEventW(SYNCHRONIZE, FALSE, cuts.c_str())) {
            ::CloseHandle(running);
            ::ReleaseMutex(mutex);
            ::CloseHandle(mutex);
            refusedBy_ = Holder::SingleCut;
            return;
        }
        handle_ = mutex;
        return;
    }
    handle_ = ::CreateEventW(nullptr, TRUE, FALSE, cuts.c_str());
    ::ReleaseMutex(mutex);
    ::CloseHandle(mutex);
}

DestinationLock::~DestinationLock() {
    if (!handle_) return;
    if (use_ == Use::Batch) ::ReleaseMutex(handle_);
    ::CloseHandle(handle_);
}

DestinationLock::DestinationLock(DestinationLock&& other) noexcept
    : refusedBy_(other.refusedBy_), use_(other.use_), handle_(other.handle_) {
    other.handle_ = nullptr;
}

#else

namespace {
std::string systemReason(int code) { return code ? std::generic_category().message(code) : "unknown error"; }
}  // namespace

std::FILE* openRegularForReading(const std::filesystem::path& path, std::string& reason, std::uint64_t* size) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        reason = systemReason(errno);
        return nullptr;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        reason = systemReason(errno);
    } else if (S_ISDIR(info.st_mode)) {
        reason = "is a folder, not a file";
    } else if (!S_ISREG(info.st_mode)) {
        reason = "not a regular file";
    } else if (::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        reason = systemReason(errno);
    } else if (std::FILE* file = ::fdopen(fd, "rb")) {
        if (size) *size = static_cast<std::uint64_t>(info.st_size);
        return file;
    } else {
        reason = systemReason(errno);
    }
    ::close(fd);
    return nullptr;
}

LockedFile openLockedForWriting(const std::filesystem::path& path) {
    LockedFile out;
    // Not O_TRUNC: a second batch must be refused before it changes a byte.
    // O_NONBLOCK: a pipe in the log's place is refused, not waited on.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) {
        const int code = errno;
        struct stat info {};
        if (code == ELOOP)
            out.reason = "it is a symbolic link, which is never followed";
        else if (code != EISDIR && ::lstat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode))
            out.reason = "not a regular file";  // a pipe without a reader, a socket
        else
            out.reason = systemReason(code);
        return out;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        out.reason = systemReason(errno);
    } else if (!S_ISREG(info.st_mode)) {
        out.reason = S_ISDIR(info.st_mode) ? "it is a folder" : "not a regular file";
    } else if (info.st_nlink > 1) {
        out.reason = kHardLinkReason;
    } else if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno != ENOLCK && errno != EOPNOTSUPP) {
        // (A file system without locks still gets its log, unguarded.)
        if (errno == EWOULDBLOCK)
            out.busy = true;
        else
            out.reason = systemReason(errno);
    } else if (::ftruncate(fd, 0) != 0 || ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        out.reason = systemReason(errno);
    } else if ((out.file = ::fdopen(fd, "wb")) != nullptr) {
        return out;
    } else {
        out.reason = systemReason(errno);
    }
    ::close(fd);
    return out;
}

OpenFolder::OpenFolder(const std::filesystem::path& path) {
#ifdef O_PATH
    // Enough to make, rename and remove files in it, without the right to list it.
    constexpr int kMode = O_PATH;
#else
    constexpr int kMode = O_RDONLY;
#endif
    fd_ = ::open(path.empty() ? "." : path.c_str(), kMode | O_DIRECTORY | O_CLOEXEC);
}

OpenFolder::~OpenFolder() {
    if (fd_ >= 0) ::close(fd_);
}

bool OpenFolder::isOpen() const noexcept { return fd_ >= 0; }

std::FILE* OpenFolder::createNew(const std::filesystem::path& name) const {
    const int fd = ::openat(fd_, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    std::FILE* file = ::fdopen(fd, "wb");
    if (!file) ::close(fd);
    return file;
}

std::FILE* OpenFolder::createUnnamed() const {
#ifdef O_TMPFILE
    const int fd = ::openat(fd_, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    std::FILE* file = ::fdopen(fd, "wb");
    if (!file) ::close(fd);
    return file;
#else
    return nullptr;
#endif
}

bool OpenFolder::nameUnnamed(std::FILE* file, const std::filesystem::path& name) const {
    const int fd = ::fileno(file);
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    if (::linkat(AT_FDCWD, self.c_str(), fd_, name.c_str(), AT_SYMLINK_FOLLOW) == 0) return true;
#ifdef AT_EMPTY_PATH
    // Without /proc: the direct way, open to privileged processes only.
    if (errno == ENOENT && ::linkat(fd, "", fd_, name.c_str(), AT_EMPTY_PATH) == 0) return true;
#endif
    return false;
}

bool OpenFolder::replace(const std::filesystem::path& from, const std::filesystem::path& to,
                         std::string& reason) const {
    if (::renameat(fd_, from.c_str(), fd_, to.c_str()) == 0) return true;
    reason = systemReason(errno);
    return false;
}

bool OpenFolder::remove(const std::filesystem::path& name) const { return ::unlinkat(fd_, name.c_str(), 0) == 0; }

bool lockFile(std::FILE* file) { return ::flock(::fileno(file), LOCK_EX | LOCK_NB) == 0; }

bool OpenFolder::removeUnlocked(const std::filesystem::path& name) const {
    const int fd = ::openat(fd_, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat info {};
    const bool removed = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
                         ::unlinkat(fd_, name.c_str(), 0) == 0;
    ::close(fd);
    return removed;
}

std::vector<std::filesystem::path> OpenFolder::names() const {
    std::vector<std::filesystem::path> names;
    const int fd = ::openat(fd_, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return names;
    DIR* listing = ::fdopendir(fd);
    if (!listing) {
        ::close(fd);
        return names;
    }
    while (const dirent* entry = ::readdir(listing)) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..") names.emplace_back(name);
    }
    ::closedir(listing);
    return names;
}

// flock() on the folder itself: a batch takes it exclusive, single cuts
// shared. Locks of two opens conflict even within one process.
DestinationLock::DestinationLock(const std::filesystem::path& folder, Use use) {
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    if (::flock(fd, (use == Use::Batch ? LOCK_EX : LOCK_SH) | LOCK_NB) == 0) {
        fd_ = fd;
        return;
    }
    if (errno == EWOULDBLOCK) {
        // Refused: by a batch, unless a shared lock can still be had.
        refusedBy_ = use == Use::Batch && ::flock(fd, LOCK_SH | LOCK_NB) == 0 ? Holder::SingleCut : Holder::Batch;
    }
    ::close(fd);
}

DestinationLock::~DestinationLock() {
    if (fd_ >= 0) ::close(fd_);
}

DestinationLock::DestinationLock(DestinationLock&& other) noexcept : refusedBy_(other.refusedBy_), fd_(other.fd_) {
    other.fd_ = -1;
}

#endif

bool isHiddenFile(const std::filesystem::path& path) {
    const std::filesystem::path::string_type name = path.filename().native();
    if (!name.empty() && name.front() == '.') return true;
#ifdef _WIN32
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
#else
    return false;
#endif
}

std::filesystem::path pathFromUtf8(const std::string& text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

std::string utf8FromPath(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::string nearestFolder(const std::string& folder) {
    if (folder.empty()) return {};
    std::error_code error;
    for (std::filesystem::path path = std::filesystem::absolute(pathFromUtf8(folder), error); !path.empty();) {
        if (std::filesystem::is_directory(path, error)) return utf8FromPath(path.make_preferred());
        const std::filesystem::path parent = path.parent_path();
        if (parent == path) break;
        path = parent;
    }
    return {};
}

}  // namespace quorvane
