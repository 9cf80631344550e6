#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "commands.hpp"
#include "terminal.hpp"
#ifdef QUORVANE_WITH_PREVIEW
#include "engine/errors.hpp"
#include "render_command.hpp"
#endif
#include "utf8_arguments.hpp"

int main(int rawArgc, char** rawArgv) {
    using namespace quorvane::cli;
    Utf8Arguments arguments(rawArgc, rawArgv);
    const int argc = arguments.argc();
    char** argv = arguments.argv();

    CLI::App app{"Quorvane cuts Standard MIDI Files short.", "quorvane"};
    app.require_subcommand(1);
    app.set_version_flag("--version", "quorvane " QUORVANE_VERSION);

    std::string infoFile;
    CLI::App* info = app.add_subcommand("info", "Show what the pre-read learns about a MIDI file");
    info->add_option("FILE", infoFile, "MIDI file")->required();

    std::string cutFile;
    std::optional<int> position;
    std::optional<double> cutSeconds;
    std::optional<std::string> cutDest;
    CLI::App* cut = app.add_subcommand("cut", "Cut one MIDI file, at a slider position (CUT ONE) or to a clip length");
    cut->add_option("FILE", cutFile, "MIDI file to cut")->required();
    auto* positionOption = cut->add_option(
        "--position,-p", position,
        "Cut slider position (1 to the last, which `info` shows); each step is 1000 ticks of music time, "
        "768 per quarter note");
    // Clip lengths: 12.5 or 1:30.
    const CLI::Validator clipLength(
        [](std::string& text) -> std::string {
            const std::optional<double> seconds = parseClipLength(text);
            if (!seconds) return "a clip length is a time above 0: seconds (12.5) or minutes:seconds (1:30)";
            text = std::to_string(*seconds);
            return {};
        },
        "SECONDS|MM:SS");
    auto* secondsOption =
        cut->add_option("--seconds,-s", cutSeconds, "Clip length, as CUT ALL cuts it: seconds (12.5) or mm:ss (1:30)")
            ->transform(clipLength);
    positionOption->excludes(secondsOption);
    cut->add_option("--dest,-d", cutDest, "Destination folder (default: beside the source)");

    std::string folder;
    double allSeconds = 30;
    std::optional<std::string> allDest;
    CLI::App* cutAll = app.add_subcommand("cut-all", "Cut every MIDI file of a folder to a clip length (CUT ALL)");
    cutAll->add_option("FOLDER", folder, "Folder of .mid files; the log Quorvane.log is written there")->required();
    cutAll->add_option("--seconds,-s", allSeconds, "Clip length: seconds (12.5) or mm:ss (1:30)")
        ->required()
        ->transform(clipLength);
    cutAll->add_option("--dest,-d", allDest, "Destination folder (default: beside each source)");
    std::optional<int> jobs;
    cutAll->add_option("--jobs,-j", jobs, "Files cut at once (default: the number of cores; 1: one after another)")
        ->check(CLI::Range(1, 256));

    std::vector<CLI::App*> subcommands{info, cut, cutAll};
#ifdef QUORVANE_WITH_PREVIEW
    std::string renderFile, renderOut;
    AudioSettings audio;
    std::optional<std::string> previewFormat;
    CLI::App* render = app.add_subcommand("render", "Render a MIDI file to audio with a General MIDI SoundFont");
    render->add_option("FILE", renderFile, "MIDI file")->required();
    render->add_option("--out,-o", renderOut, "Audio file to write: .wav, .flac or .ogg")->required();
    for (CLI::App* sub : {render, cut, cutAll}) {
        sub->add_option("--soundfont", audio.soundFont, "SoundFont (.sf2) to play with (default: the system's)");
        sub->add_option("--rate", audio.sampleRate, "Audio frames per second (default 44100)")
            ->check(CLI::Range(8000, 192000));
    }
    for (CLI::App* sub : {cut, cutAll}) {
        sub->add_option("--preview", previewFormat, "Also write each cut's audio beside it: wav, flac or ogg")
            ->check(CLI::IsMember({"wav", "flac", "ogg"}));
    }
    subcommands.push_back(render);
#endif

    // A first word that names no subcommand: CLI11 would only say that one
    // is required, which hides the typing error.
    if (argc > 1 && argv[1][0] != '-') {
        std::string names;
        bool known = false;
        for (const CLI::App* sub : subcommands) {
            known = known || sub->get_name() == argv[1];
            names += (names.empty() ? "" : ", ") + sub->get_name();
        }
        if (!known) {
            std::cerr << "unknown subcommand \"" << argv[1] << "\"; the subcommands are " << names
                      << "\nRun with --help for more information.\n";
            return kExitUsage;
        }
    }

    try {
        app.parse(argc, argv);
        if (*cut && !position && !cutSeconds) throw CLI::RequiredError("--position or --seconds");
    } catch (const CLI::ParseError& error) {
        const int status = app.exit(error);
        return status == 0 ? kExitOk : kExitUsage;
    }

    int status = kExitOk;
    CutHook afterCut;
#ifdef QUORVANE_WITH_PREVIEW
    if (previewFormat) {
        // The SoundFont is loaded before anything is cut: without one, nothing is.
        try {
            afterCut = [previews = std::make_shared<AudioPreviews>(*previewFormat, audio)](const std::string& cut) {
                (*previews)(cut);
            };
        } catch (const quorvane::FileError& error) {
            std::cerr << quorvane::userMessage(error) << '\n';
            return kExitFileError;
        }
    }
#endif
    if (*info)
        status = runInfo(infoFile, std::cout, std::cerr);
    else if (*cutAll)
        status = runCutAll(folder, allSeconds, allDest, std::cout, std::cerr,
                           standardErrorIsTerminal() ? terminalColumns() : 0, afterCut, jobs.value_or(0));
    else if (position)
        status = runCutAtPosition(cutFile, *position, cutDest, std::cout, std::cerr, afterCut);
    else if (*cut)
        status = runCutToSeconds(cutFile, *cutSeconds, cutDest, std::cout, std::cerr, afterCut);
#ifdef QUORVANE_WITH_PREVIEW
    else if (*render)
        status = runRender(renderFile, renderOut, audio, std::cout, std::cerr);
#endif

    // Output that never arrived is a failure, not a success (a full disk, a closed pipe).
    errno = 0;
    std::cout.flush();
    if (!std::cout || std::fflush(stdout) != 0 || std::ferror(stdout)) {
        const int code = errno;
        std::cerr << "quorvane: cannot write the output: " << (code ? std::strerror(code) : "write failed") << '\n';
        return kExitFileError;
    }
    return status;
}
