#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "commands.hpp"
#include "platform/files.hpp"
#include "progress_line.hpp"
#include "terminal.hpp"
#ifdef QUORVANE_WITH_PREVIEW
#include "engine/errors.hpp"
#include "render_command.hpp"
#endif
#include "utf8_arguments.hpp"
#include "version/version.hpp"

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
        "Cut slider step, 1 to N, where `info` shows \"positions: 1 to N\" for the song; a step is 1000 ticks "
        "of music time (768 per quarter note), not a second");
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
        cut->add_option("--seconds,-s", cutSeconds,
                        "Clip length, as CUT ALL cuts it: any time above 0, seconds (12.5) or mm:ss (1:30)")
            ->transform(clipLength);
    positionOption->excludes(secondsOption);
    // An empty name would mean beside the source: a script's unset variable, not a choice.
    const CLI::Validator folderName(
        [](const std::string& text) -> std::string {
            return text.empty() ? "an empty name names no folder; leave --dest out to write beside the source" : "";
        },
        "DIR");
    cut->add_option("--dest,-d", cutDest, "Destination folder, which must exist (default: beside the source)")
        ->check(folderName);

    std::string folder;
    double allSeconds = 30;
    std::optional<std::string> allDest;
    CLI::App* cutAll = app.add_subcommand("cut-all", "Cut every MIDI file of a folder to a clip length (CUT ALL)");
    cutAll->add_option("FOLDER", folder, "Folder of .mid files; the log Quorvane.log is written there")->required();
    cutAll->add_option("--seconds,-s", allSeconds, "Clip length: any time above 0, seconds (12.5) or mm:ss (1:30)")
        ->required()
        ->transform(clipLength);
    cutAll->add_option("--dest,-d", allDest, "Destination folder, which must exist (default: beside each source)")
        ->check(folderName);
    // Fades: seconds from 0 on (12.5 or mm:ss).
    const CLI::Validator fadeLength(
        [](std::string& text) -> std::string {
            const std::optional<double> seconds = text == "0" ? 0.0 : parseClipLength(text);
            if (!seconds) return "a fade lasts 0 s or more: seconds (2.5) or minutes:seconds (0:02.5)";
            text = std::to_string(*seconds);
            return {};
        },
        "SECONDS");
    std::optional<std::string> fadeCurve;
    const auto addFadeCurve = [&](CLI::App* sub) {
        sub->add_option("--fade-curve", fadeCurve,
                        "linear: the volume moves in equal steps; log: in equal steps of dB down to -60 dB, then 0 "
                        "(default: linear)")
            ->check(CLI::IsMember({"linear", "log"}));
    };
    const auto curve = [&] {
        return fadeCurve.value_or("linear") == "log" ? quorvane::FadeCurve::Log : quorvane::FadeCurve::Linear;
    };
    const CLI::Validator timePoint(
        [](const std::string& text) -> std::string {
            return quorvane::parseTimePoint(text) ? ""
                                                  : "a point is seconds (12.5), mm:ss (1:02.5), bar:N (the first bar "
                                                    "is 1), marker:TEXT or tick:N";
        },
        "T");

    quorvane::BatchClip batchClip;
    std::optional<std::string> allFrom;
    cutAll->add_option("--from", allFrom, "Each clip starts here, the song's state carried to it: 12.5, bar:17, ...")
        ->check(timePoint);
    cutAll
        ->add_option("--fade-out", batchClip.fadeOutSeconds,
                     "Each clip ends with a fade of S seconds (Format 0: in place of the last tenth's)")
        ->transform(fadeLength);
    addFadeCurve(cutAll);
    std::optional<int> jobs;
    cutAll
        ->add_option("--jobs,-j", jobs,
                     "Files cut at once, 1 to 256 (default: the number of cores; 1: one after another)")
        ->check(CLI::Range(1, 256));

    std::string clipFile;
    quorvane::ClipPlan clipPlan;
    std::string clipFrom;
    std::optional<std::string> clipTo, clipOut, clipDest, clipSnap, clipEnd, clipNotes;
    std::optional<double> clipSeconds;
    CLI::App* clip =
        app.add_subcommand("clip", "Write a clip from anywhere in a MIDI file, the song's state carried to its start");
    clip->add_option("FILE", clipFile, "MIDI file")->required();
    clip->add_option("--from", clipFrom, "Where the clip starts: 12.5, 1:02.5, bar:17, marker:Chorus or tick:7680")
        ->required()
        ->check(timePoint);
    auto* toOption =
        clip->add_option("--to", clipTo, "Where it ends, in the same ways (default: the song's end)")->check(timePoint);
    auto* lengthOption =
        clip->add_option("--length", clipSeconds, "How long it lasts: seconds (12.5) or mm:ss")->transform(clipLength);
    toOption->excludes(lengthOption);
    auto* outOption = clip->add_option("--out,-o", clipOut, "The clip file to write (default: NAME-FROM-CUT.mid)");
    auto* clipDestOption =
        clip->add_option("--dest,-d", clipDest, "Destination folder, which must exist (default: beside the source)")
            ->check(folderName);
    outOption->excludes(clipDestOption);
    clip->add_option("--snap", clipSnap, "bar: start at the bar line at or before --from")
        ->check(CLI::IsMember({"bar"}));
    clip->add_option("--end", clipEnd,
                     "exact: end at the time asked (default: Format 1 at the next bar line, as cuts end)")
        ->check(CLI::IsMember({"exact"}));
    bool trimSilence = false;
    clip->add_flag("--trim-silence", trimSilence, "Start at the first note and end when the last note ends");
    clip->add_option("--notes", clipNotes, "drop: leave out the notes sounding across the start (default: strike)")
        ->check(CLI::IsMember({"strike", "drop"}));
    clip->add_option("--fade-in", clipPlan.fadeInSeconds, "Rise from silence over the clip's first S seconds")
        ->transform(fadeLength);
    clip->add_option("--fade-out", clipPlan.fadeOutSeconds,
                     "Fall to silence over its last S seconds (Format 0: in place of the last tenth's fade)")
        ->transform(fadeLength);
    addFadeCurve(clip);

    std::string splitTarget;
    quorvane::SplitPlan splitPlan;
    std::optional<double> splitEvery;
    std::optional<std::uint64_t> splitBars;
    std::optional<std::string> splitDest;
    std::optional<int> splitJobs;
    CLI::App* split = app.add_subcommand("split", "Cut songs into numbered pieces that cover them, each a clip");
    split->add_option("SONG|FOLDER", splitTarget, "A MIDI file, or a folder of them")->required();
    auto* everyOption =
        split->add_option("--every", splitEvery, "A piece every S seconds (12.5 or mm:ss)")->transform(clipLength);
    auto* barsOption = split->add_option("--bars", splitBars, "A piece every N bars")->check(CLI::Range(1, 1 << 30));
    everyOption->excludes(barsOption);
    split->add_option("--dest,-d", splitDest, "Destination folder, which must exist (default: beside each song)")
        ->check(folderName);
    split->add_option("--jobs,-j", splitJobs, "Songs split at once, 1 to 256 (default: the number of cores)")
        ->check(CLI::Range(1, 256));

    std::vector<CLI::App*> subcommands{info, cut, cutAll, clip, split};
    bool json = false;
    for (CLI::App* sub : subcommands) {
        sub->add_flag("--json", json, "Print one JSON object per file on stdout (JSON Lines), and nothing else there");
    }
#ifdef QUORVANE_WITH_PREVIEW
    std::string renderFile, renderOut;
    AudioSettings audio;
    std::optional<std::string> previewFormat;
    CLI::App* render = app.add_subcommand("render", "Render a MIDI file to audio with a General MIDI SoundFont");
    render->add_option("FILE", renderFile, "MIDI file")->required();
    render->add_option("--out,-o", renderOut, "Audio file to write: .wav, .flac or .ogg")->required();
    for (CLI::App* sub : {render, cut, cutAll, clip, split}) {
        sub->add_option("--soundfont", audio.soundFont, "SoundFont (.sf2) to play with (default: the system's)");
        sub->add_option("--rate", audio.sampleRate, "Audio frames per second, 8000 to 192000 (default 44100)")
            ->check(CLI::Range(8000, 192000));
    }
    for (CLI::App* sub : {cut, cutAll, clip, split}) {
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
            std::cerr << "unknown subcommand \"" << terminalText(argv[1]) << "\"; the subcommands are " << names
                      << "\nRun with --help for more information.\n";
            return kExitUsage;
        }
    }

    try {
        app.parse(argc, argv);
        if (*cut && !position && !cutSeconds) throw CLI::RequiredError("--position or --seconds");
        if (*split && !splitEvery && !splitBars) throw CLI::RequiredError("--every or --bars");
    } catch (const CLI::ParseError& error) {
        // Words the parser did not expect are shown back: a file name among them.
        std::ostringstream help, complaint;
        const int status = app.exit(error, help, complaint);
        std::cout << help.str();
        std::cerr << terminalText(complaint.str());
        return status == 0 ? kExitOk : kExitUsage;
    }

    // A destination that is not there is named before anything is cut or logged.
    for (const std::optional<std::string>* dest : {&cutDest, &allDest, &clipDest, &splitDest}) {
        if (!*dest) continue;
        std::error_code error;
        const auto kind = std::filesystem::status(quorvane::pathFromUtf8(**dest), error).type();
        if (kind == std::filesystem::file_type::directory) continue;
        const std::string reason = kind == std::filesystem::file_type::not_found ? "no such folder"
                                   : kind == std::filesystem::file_type::none    ? error.message()
                                                                                 : "the destination is not a folder";
        std::cerr << "--dest " << terminalText(**dest) << ": " << reason << '\n';
        return kExitFileError;
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
            std::cerr << terminalText(quorvane::userMessage(error)) << '\n';
            return kExitFileError;
        }
    }
#endif
    // A terminal shows paths as stderr shows names, control characters as '?';
    // a pipe or a file gets them byte for byte, so that scripts can open them.
    std::ostringstream out;
    if (*info)
        status = runInfo(infoFile, out, std::cerr, json);
    else if (*cutAll) {
        if (allFrom) batchClip.from = quorvane::parseTimePoint(*allFrom);
        batchClip.fadeCurve = curve();
        status =
            runCutAll(folder, allSeconds, allDest, out, std::cerr, standardErrorIsTerminal() ? terminalColumns() : 0,
                      afterCut, jobs.value_or(0), json, batchClip);
    } else if (position)
        status = runCutAtPosition(cutFile, *position, cutDest, out, std::cerr, afterCut, json);
    else if (*cut)
        status = runCutToSeconds(cutFile, *cutSeconds, cutDest, out, std::cerr, afterCut, json);
    else if (*clip) {
        clipPlan.from = *quorvane::parseTimePoint(clipFrom);
        if (clipTo) clipPlan.to = quorvane::parseTimePoint(*clipTo);
        clipPlan.lengthSeconds = clipSeconds;
        clipPlan.snapToBar = clipSnap.has_value();
        clipPlan.exactEnd = clipEnd.has_value();
        clipPlan.strikeNotes = clipNotes.value_or("strike") == "strike";
        clipPlan.trimSilence = trimSilence;
        clipPlan.fadeCurve = curve();
        clipPlan.dest = clipDest.value_or("");
        clipPlan.out = clipOut.value_or("");
        status = runClip(clipFile, clipPlan, out, std::cerr, afterCut, json);
    } else if (*split) {
        splitPlan.everySeconds = splitEvery;
        splitPlan.bars = splitBars.value_or(0);
        splitPlan.dest = splitDest.value_or("");
        status = runSplit(splitTarget, splitPlan, out, std::cerr, afterCut, splitJobs.value_or(0), json);
    }
#ifdef QUORVANE_WITH_PREVIEW
    else if (*render)
        status = runRender(renderFile, renderOut, audio, out, std::cerr);
#endif

    // JSON is escaped already; a terminal shows it as it is.
    std::cout << (standardOutputIsTerminal() && !json ? terminalText(out.str()) : out.str());

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
