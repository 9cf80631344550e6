#include "soundfont.hpp"

#include <array>
#include <cstdio>
#include <cstring>
#include <system_error>

#include "engine/errors.hpp"
#include "platform/file_handle.hpp"
#include "platform/files.hpp"

namespace quorvane::preview {

namespace {

// default-GM.sf2 is the system's choice among those installed.
constexpr std::array<const char*, 4> kInstalled{
    "/usr/share/sounds/sf2/default-GM.sf2",
    "/usr/share/sounds/sf2/FluidR3_GM.sf2",
    "/usr/share/sounds/sf2/TimGM6mb.sf2",
    "/usr/share/sounds/sf2/FluidR3_GS.sf2",
};

bool isFile(const std::string& path) {
    std::error_code ignored;
    return std::filesystem::is_regular_file(pathFromUtf8(path), ignored);
}

// Refuses, saying what it is, a chosen SoundFont that is no SoundFont file:
// a folder, a pipe, a file of another kind or one cut short. The synthesizer
// is never handed these (a pipe would keep it waiting).
void checkChosen(const std::string& path) {
    const auto refuse = [&](const std::string& reason) { throw FileError(ErrorKind::CannotOpen, path, reason); };
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(pathFromUtf8(path), error);
    if (!std::filesystem::exists(status)) refuse("no such SoundFont file");
    if (std::filesystem::is_directory(status)) refuse("a folder, not a SoundFont file");
    if (std::filesystem::is_fifo(status)) refuse("a pipe, not a SoundFont file");
    std::string reason;
    std::uint64_t size = 0;
    const FileHandle file(openRegularForReading(pathFromUtf8(path), reason, &size));
    if (!file) refuse(reason);
    // "RIFF", the size of what follows, "sfbk".
    unsigned char head[12] = {};
    const std::size_t got = std::fread(head, 1, sizeof head, file.get());
    if (got < sizeof head || std::memcmp(head, "RIFF", 4) != 0 || std::memcmp(head + 8, "sfbk", 4) != 0)
        refuse("not a SoundFont file: it does not begin as a .sf2 file does");
    const std::uint64_t declared =
        8 + (head[4] | (head[5] << 8) | (head[6] << 16) | (static_cast<std::uint64_t>(head[7]) << 24));
    if (size < declared)
        refuse("damaged SoundFont: the file ends early (" + std::to_string(size) + " of " + std::to_string(declared) +
               " bytes)");
}

}  // namespace

std::string findSoundFont(const std::optional<std::string>& chosen) {
    if (chosen) {
        checkChosen(*chosen);
        return *chosen;
    }
    for (const char* path : kInstalled) {
        if (isFile(path)) return path;
    }
    throw FileError(ErrorKind::CannotOpen, "",
                    "no General MIDI SoundFont is installed: install the package timgm6mb-soundfont (small) or "
                    "fluid-soundfont-gm, or name a .sf2 file with --soundfont");
}

}  // namespace quorvane::preview
