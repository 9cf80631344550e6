#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace quorvane {

// Moves an open file's position to `offset` from its start, past 2 GiB too
// (a long has 32 bits on Windows). False on failure.
bool seekFile(std::FILE* file, std::uint64_t offset);

// Opens a file for reading only when it is a regular file. The check is made
// on the opened file, so a name swapped for a pipe or a device in between
// cannot slip through, and the open itself never waits (a pipe without a
// writer would block a plain open for ever). On failure returns nullptr and
// sets `reason`. `size`, when given, receives the file's size at the open.
std::FILE* openRegularForReading(const std::filesystem::path& path, std::string& reason, std::uint64_t* size = nullptr);

// The batch log, opened for a whole batch.
struct LockedFile {
    std::FILE* file = nullptr;  // nullptr on failure
    bool busy = false;          // another process holds the lock
    std::string reason;         // why it failed
};
// Opens `path` for writing, creating it when missing, without ever following
// a symbolic link or writing through a hard link (a file with other names),
// refusing anything but a regular file, and never waiting; takes an
// exclusive lock held until the file is closed, and only then empties it, so
// that a refused second writer changes nothing.
LockedFile openLockedForWriting(const std::filesystem::path& path);

// A folder held open, in which files are made, named, replaced and removed
// by their names alone: only a name counts toward the system's path limit,
// and every step acts on the same folder, whatever happens to its path
// meanwhile. Windows has no such calls: there it keeps the folder's path.
// Names are single file names, never paths.
class OpenFolder {
public:
    // Opens `path` (empty: the current folder); isOpen() tells whether it
    // could, with errno set when not.
    explicit OpenFolder(const std::filesystem::path& path);
    ~OpenFolder();
    OpenFolder(const OpenFolder&) = delete;
    OpenFolder& operator=(const OpenFolder&) = delete;
    bool isOpen() const noexcept;

    // Creates `name` for writing, failing with errno EEXIST when a file of
    // that name exists (never reusing or following one). nullptr on failure,
    // errno set.
    std::FILE* createNew(const std::filesystem::path& name) const;
    // An unnamed file for writing: it vanishes with the process unless
    // nameUnnamed() gives it a name. nullptr where the platform or the file
    // system cannot make one.
    std::FILE* createUnnamed() const;
    // Gives an unnamed file the name `name`, which must not exist yet. On
    // failure returns false with errno set.
    bool nameUnnamed(std::FILE* file, const std::filesystem::path& name) const;
    // Renames `from` to `to` in one step, replacing a file `to` that exists.
    // On failure returns false and sets `reason`; `from` is left as it was.
    bool replace(const std::filesystem::path& from, const std::filesystem::path& to, std::string& reason) const;
    // Removes the file `name`; false when it could not.
    bool remove(const std::filesystem::path& name) const;
    // Removes the regular file `name` unless another process holds its lock
    // (see lockFile). Never follows a symbolic link. True when it was removed.
    bool removeUnlocked(const std::filesystem::path& name) const;
    // The names of the folder's entries (empty when it cannot be listed).
    std::vector<std::filesystem::path> names() const;

private:
#ifdef _WIN32
    std::filesystem::path path_;
#else
    int fd_ = -1;
#endif
};

// Takes an exclusive lock on an open file without waiting, held until the
// file is closed. A temporary file that is locked is in use.
bool lockFile(std::FILE* file);

// Keeps a destination folder to one batch at a time, for as long as it
// lives, without leaving a file behind: on POSIX a lock on the folder itself,
// on Windows, where a folder cannot be locked, a named mutex of the folder's
// full path. A batch holds its destination alone; single cuts share theirs
// with one another, but not with a batch. Within one process, a batch and the
// cuts of its own threads need no lock of their own.
class DestinationLock {
public:
    enum class Use { Batch, SingleCut };
    // Who kept the lock from being taken.
    enum class Holder { None, Batch, SingleCut };
    // Takes the lock without waiting. Where the folder cannot be opened or
    // locked (a file system without locks), nothing is held and nothing is
    // refused: the writing itself then says what is wrong.
    DestinationLock(const std::filesystem::path& folder, Use use);
    ~DestinationLock();
    DestinationLock(DestinationLock&& other) noexcept;
    DestinationLock(const DestinationLock&) = delete;
    DestinationLock& operator=(const DestinationLock&) = delete;
    DestinationLock& operator=(DestinationLock&&) = delete;

    // Holder::None when the lock was taken (or could not be, see above).
    Holder refusedBy() const noexcept { return refusedBy_; }

private:
    Holder refusedBy_ = Holder::None;
#ifdef _WIN32
    Use use_;
    void* handle_ = nullptr;  // the batch's mutex, or a single cut's event
#else
    int fd_ = -1;
#endif
};

// Whether a file may be renamed or removed while it is open (POSIX), keeping
// its lock meanwhile; Windows wants it closed first.
#ifdef _WIN32
inline constexpr bool kOpenFilesMayBeRenamed = false;
#else
inline constexpr bool kOpenFilesMayBeRenamed = true;
#endif

// True for files the platform hides from listings: names starting with a
// dot, and on Windows also the hidden and system attributes. (Windows itself
// shows dot names, but copies from other systems bring such files, the "._"
// companions of a Mac among them, which are no songs.)
bool isHiddenFile(const std::filesystem::path& path);

// Where a folder picker opens for `folder` (UTF-8): the folder itself, or the
// nearest folder above it still there (a folder gone since, as on a drive
// taken away), with the platform's separators; empty without one.
std::string nearestFolder(const std::string& folder);

// A path from a UTF-8 string, and back.
std::filesystem::path pathFromUtf8(const std::string& text);
std::string utf8FromPath(const std::filesystem::path& path);

}  // namespace quorvane
