#pragma once

#include <string>

namespace quorvane {

// A file name without its final ".mid" (any case); a name without one is
// kept whole.
std::string withoutExtension(const std::string& name);

// The cut file's path: beside the source when no destination folder is
// chosen, else in that folder under the listed name; "-CUT.mid" takes the
// place of the extension, or follows a name without one. Only the file name
// part of a path is shortened. All paths are UTF-8.
std::string cutFilePath(const std::string& source, const std::string& listedName, const std::string& destFolder);

// The same path with its file name (never its folder) in lower case, the
// name a Format 0 cut is written under.
std::string lowerCaseFileName(const std::string& path);

// The same path with only its "-CUT.mid" ending in lower case: the Format 0
// name of a file whose name must keep its case.
std::string lowerCaseSuffix(const std::string& path);

}  // namespace quorvane
