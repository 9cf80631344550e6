#pragma once

#include <string>
#include <vector>

namespace quorvane {

// A file name without its final ".mid" (any case); a name without one is
// kept whole.
std::string withoutExtension(const std::string& name);

// The cut file's path: beside the source when no destination folder is
// chosen, else in that folder under the listed name; "-CUT.mid" takes the
// place of the extension, or follows a name without one, with "-N" before it
// for a `number` N of 2 or more (see cutNumbers). Only the file name part of
// a path is shortened. All paths are UTF-8.
std::string cutFilePath(const std::string& source, const std::string& listedName, const std::string& destFolder,
                        int number = 0);

// A name without its extension as its cut is named: "X" numbered 2 is "X-2".
std::string numberedName(const std::string& nameWithoutExtension, int number);

// The numbers that give each file of a listing (`names`, in list order) a
// cut of its own, where two names would make one cut name ignoring case
// ("x.MID" and "x.mid"): 0 for a file whose cut keeps its name, else the
// first N from 2 up whose numbered name no file before it in the list has.
std::vector<int> cutNumbers(const std::vector<std::string>& names);

// The same path with its file name (never its folder) in lower case, the
// name a Format 0 cut is written under.
std::string lowerCaseFileName(const std::string& path);

// The same path with only its "-CUT.mid" ending in lower case: the Format 0
// name of a file whose name must keep its case.
std::string lowerCaseSuffix(const std::string& path);

}  // namespace quorvane
