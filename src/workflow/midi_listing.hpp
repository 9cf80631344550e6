#pragma once

#include <string>
#include <vector>

#include "form1.hpp"

namespace quorvane {

// The MIDI files of `folder`: plain files (no folders, no hidden files)
// whose name ends in ".mid" in any case, but not in "-cut.mid" (our own cut
// files), each listed in upper case with its name on disk, sorted by the
// listed name. Files whose names differ only in
// case are listed under their names on disk (see ListItem), and the later of
// two that would make one cut name has a numbered cut. Throws
// FileError(CannotOpen) when the folder cannot be read.
std::vector<ListItem> listMidiFiles(const std::string& folder);

}  // namespace quorvane
