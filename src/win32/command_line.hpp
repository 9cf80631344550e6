#pragma once

// The window's command line, as the Qt window takes it:
//
//   quorvane-gui [--source DIR] [--dest DIR] [--select N] [--screenshot FILE]
//
// Each option's value follows it, or is joined to it by "=".

#include <optional>
#include <string>
#include <vector>

namespace quorvane::win32 {

struct CommandLine {
    std::optional<std::string> source;      // SOURCE answered with DIR at start
    std::optional<std::string> dest;        // DEST answered with DIR at start
    std::optional<std::string> select;      // the Nth file of the list chosen, as given
    std::optional<std::string> screenshot;  // a PNG of the window saved there, then the end
    bool help = false;
    bool version = false;
    std::string error;  // what is wrong with the command line; empty when nothing is
};

// Reads the arguments after the program's name (UTF-8).
CommandLine parseCommandLine(const std::vector<std::string>& arguments);

// The text --help shows.
std::string usageText();

// The number N of --select N for a list of `count` files; nothing when it is
// not a whole number from 1 to count.
std::optional<int> selectedRow(const std::string& n, int count);

}  // namespace quorvane::win32
