#include <CLI/CLI.hpp>
#include <iostream>
#include <optional>
#include <string>

#include "commands.hpp"

int main(int argc, char** argv) {
    using namespace quorvane::cli;

    CLI::App app{"Quorvane cuts Standard MIDI Files short.", "quorvane"};
    app.require_subcommand(1);
    app.set_version_flag("--version", "quorvane 0.1.0");

    std::string infoFile;
    CLI::App* info = app.add_subcommand("info", "Show what the pre-read learns about a MIDI file");
    info->add_option("FILE", infoFile, "MIDI file")->required();

    std::string cutFile;
    unsigned position = 0;
    std::optional<std::string> dest;
    CLI::App* cut = app.add_subcommand("cut", "Cut one MIDI file, as CUT ONE does in the window");
    cut->add_option("FILE", cutFile, "MIDI file to cut")->required();
    cut->add_option("--position,-p", position,
                    "Cut position: the cut slider's value, 1000 music-time ticks (768 per quarter note) each")
        ->required()
        ->check(CLI::Range(1u, 2000000u));
    cut->add_option("--dest,-d", dest, "Destination folder (default: beside the source)");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        const int status = app.exit(error);
        return status == 0 ? kExitOk : kExitUsage;
    }

    if (*info) return runInfo(infoFile, std::cout, std::cerr);
    return runCutAtPosition(cutFile, position, dest, std::cout, std::cerr);
}
