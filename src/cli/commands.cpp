#include "commands.hpp"

#include <filesystem>
#include <iomanip>
#include <ostream>

#include "engine/app_state.hpp"
#include "engine/cut_name.hpp"
#include "engine/cutters.hpp"
#include "engine/errors.hpp"
#include "engine/platform_files.hpp"
#include "engine/pre_reader.hpp"

namespace quorvane::cli {

namespace {

// The state a window would hold after the file was picked from its folder's
// list: the path as given, the name as listed (upper case).
AppState stateForFile(const std::string& file) {
    AppState state;
    state.FilePath = file;
    state.FileName = asciiUpper(utf8FromPath(pathFromUtf8(file).filename()));
    return state;
}

int report(const FileError& error, std::ostream& err) {
    err << userMessage(error) << '\n';
    return kExitFileError;
}

}  // namespace

int runInfo(const std::string& file, std::ostream& out, std::ostream& err) {
    AppState state = stateForFile(file);
    try {
        PreLeggi(state);
    } catch (const FileError& error) {
        return report(error, err);
    }
    out << "file:      " << state.FilePath << '\n'
        << "format:    " << (state.IsFormatOne ? "1" : "0 (cut at the exact time)") << '\n'
        << "division:  " << state.Division.quarters << " ticks per quarter note\n"
        << "tempo:     " << state.Tempo << " microseconds per quarter note\n"
        << "tick:      " << std::setprecision(17) << state.TickMs << " ms\n";
    return kExitOk;
}

int runCutAtPosition(const std::string& file, unsigned position, const std::optional<std::string>& dest,
                     std::ostream& out, std::ostream& err) {
    AppState state = stateForFile(file);
    state.TextDest = dest.value_or("");
    try {
        PreLeggi(state);
        state.CutTime = position * 1000.0;
        cutCurrentFile(state);
    } catch (const FileError& error) {
        return report(error, err);
    }
    out << state.CutFilePath << '\n';
    return kExitOk;
}

}  // namespace quorvane::cli
