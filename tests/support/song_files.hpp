#pragma once

// Songs, file contents and folders the service, command line and window
// tests share.

#ifdef __linux__
#include <sys/mount.h>
#include <unistd.h>
#endif

#include <algorithm>

#include "engine_test_util.hpp"

namespace quorvane::test {

using Names = std::vector<std::string>;

// A song at a steady tempo that lasts `quarters` quarter notes (480 ticks
// each), with a note per quarter on channel 0. Format 1 adds a tempo track.
inline Bytes steadySong(int format, std::uint32_t tempo, std::uint32_t quarters) {
    Bytes notes;
    for (std::uint32_t q = 0; q < quarters; ++q) {
        notes = cat({notes, {0x00, 0x90, 60, 90}, {0x83, 0x60, 0x80, 60, 0}});  // 480 ticks later: off
    }
    if (format == 0) return cat({header(0, 1, 480), track(cat({tempoEvent(tempo), notes, kEndOfTrack}))});
    return cat({header(1, 2, 480), track(cat({tempoEvent(tempo), kEndOfTrack})), track(cat({notes, kEndOfTrack}))});
}

inline std::string fileText(const std::string& path) {
    const Bytes bytes = readBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

#ifdef __linux__
// A small tmpfs mounted on a folder of its own for as long as it lives, with
// mount(8) `options` ("ro", "size=64k"): a destination that cannot be
// written. mounted() is false without the right to mount (not root).
class SmallFileSystem {
public:
    explicit SmallFileSystem(const char* options) {
        std::filesystem::create_directory(at_.path() / "fs");
        mounted_ = ::geteuid() == 0 && ::mount("tmpfs", path().c_str(), "tmpfs", 0, options) == 0;
    }
    ~SmallFileSystem() {
        if (mounted_) ::umount2(path().c_str(), MNT_DETACH);
    }
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;

    bool mounted() const { return mounted_; }
    std::string path() const { return at_.file("fs"); }
    std::vector<std::string> names() const { return namesIn(path()); }

private:
    TempDir at_;
    bool mounted_ = false;
};
#endif

}  // namespace quorvane::test
