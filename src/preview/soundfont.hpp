#pragma once

#include <optional>
#include <string>

namespace quorvane::preview {

// The General MIDI SoundFont to play with: `chosen` when given (the user's
// --soundfont or setting), else the first of the places Debian's packages
// install one to. Throws FileError(CannotOpen) when none is installed (the
// message names the package to install) and when the chosen file is missing,
// or is a folder, a pipe, or a file that is not a SoundFont or is cut short:
// the message says which.
std::string findSoundFont(const std::optional<std::string>& chosen);

}  // namespace quorvane::preview
