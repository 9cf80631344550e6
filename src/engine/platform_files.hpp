#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

namespace quorvane {

// Creates `path` for writing, failing with errno EEXIST when a file of that
// name exists (never reusing or following one). nullptr on failure, errno set.
std::FILE* openNewFile(const std::filesystem::path& path);

// Renames `from` to `to` in one step, replacing a file `to` that exists.
// On failure returns false and sets `reason`; `from` is left as it was.
bool replaceFile(const std::filesystem::path& from, const std::filesystem::path& to, std::string& reason);

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
// a symbolic link and refusing anything but a regular file; takes an
// exclusive lock held until the file is closed, and only then empties it, so
// that a refused second writer changes nothing.
LockedFile openLockedForWriting(const std::filesystem::path& path);

// An unnamed file in `folder` for writing: it vanishes with the process
// unless nameUnnamedFile() gives it a name. nullptr where the platform or the
// file system cannot make one.
std::FILE* openUnnamedFile(const std::filesystem::path& folder);
// Gives an unnamed file the name `path`, which must not exist yet. On
// failure returns false with errno set.
bool nameUnnamedFile(std::FILE* file, const std::filesystem::path& path);

// Takes an exclusive lock on an open file without waiting, held until the
// file is closed. A temporary file that is locked is in use.
bool lockFile(std::FILE* file);
// Removes the regular file `path` unless another process holds its lock.
// Never follows a symbolic link. True when the file was removed.
bool removeUnlockedFile(const std::filesystem::path& path);

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

// A path from a UTF-8 string, and back.
std::filesystem::path pathFromUtf8(const std::string& text);
std::string utf8FromPath(const std::filesystem::path& path);

}  // namespace quorvane
