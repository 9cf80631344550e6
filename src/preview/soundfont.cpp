#include "soundfont.hpp"

#include <array>
#include <system_error>

#include "engine/errors.hpp"
#include "engine/platform_files.hpp"

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

}  // namespace

std::string findSoundFont(const std::optional<std::string>& chosen) {
    if (chosen) {
        if (!isFile(*chosen)) throw FileError(ErrorKind::CannotOpen, *chosen, "no such SoundFont file");
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
