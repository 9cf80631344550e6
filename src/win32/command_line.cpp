#include "win32/command_line.hpp"

#include <charconv>

namespace quorvane::win32 {

CommandLine parseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine line;
    for (std::size_t k = 0; k < arguments.size() && line.error.empty(); ++k) {
        const std::string& argument = arguments[k];
        if (argument == "--help" || argument == "-h" || argument == "/?") {
            line.help = true;
            continue;
        }
        if (argument == "--version" || argument == "-v") {
            line.version = true;
            continue;
        }
        const std::size_t equals = argument.find('=');
        const std::string name = argument.substr(0, equals);
        std::optional<std::string>* slot = name == "--source"       ? &line.source
                                           : name == "--dest"       ? &line.dest
                                           : name == "--select"     ? &line.select
                                           : name == "--screenshot" ? &line.screenshot
                                                                    : nullptr;
        if (!slot) {
            line.error = argument.rfind('-', 0) == 0
                             ? "Unknown option '" + name.substr(name.find_first_not_of('-')) + "'."
                             : "unexpected argument \"" + argument + "\"";
            break;
        }
        if (equals != std::string::npos) {
            *slot = argument.substr(equals + 1);
        } else if (k + 1 < arguments.size()) {
            *slot = arguments[++k];
        } else {
            line.error = "Missing value after '" + argument + "'.";
        }
    }
    return line;
}

std::string usageText() {
    return "Usage: quorvane-gui [options]\n"
           "Quorvane cuts Standard MIDI Files short.\n"
           "\n"
           "Options:\n"
           "  -h, --help               Displays help on commandline options.\n"
           "  -v, --version            Displays version information.\n"
           "  --source <DIR>           Start with DIR as the source folder.\n"
           "  --dest <DIR>             Start with DIR as the destination folder.\n"
           "  --select <N>             Select the Nth file of the list (1 is the first).\n"
           "  --screenshot <FILE>      Save a PNG picture of the window to FILE and quit.\n";
}

std::optional<int> selectedRow(const std::string& n, int count) {
    int value = 0;
    const char* end = n.data() + n.size();
    const auto [stop, error] = std::from_chars(n.data(), end, value);
    if (error != std::errc() || stop != end || value < 1 || value > count) return std::nullopt;
    return value;
}

}  // namespace quorvane::win32
