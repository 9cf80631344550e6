#pragma once

#include <iosfwd>
#include <optional>
#include <string>

namespace quorvane::cli {

// Exit statuses of the command line.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFileError = 1;
inline constexpr int kExitUsage = 2;

// `quorvane info FILE`: what the pre-reader learns about FILE.
int runInfo(const std::string& file, std::ostream& out, std::ostream& err);

// `quorvane cut FILE --position V [--dest DIR]`: cuts FILE as the window's
// CUT ONE does with the cut slider at V, and prints the written path.
int runCutAtPosition(const std::string& file, unsigned position, const std::optional<std::string>& dest,
                     std::ostream& out, std::ostream& err);

}  // namespace quorvane::cli
