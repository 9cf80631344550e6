#include "cut_service.hpp"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <thread>

#include "clips.hpp"
#include "clock_text.hpp"
#include "cut_log.hpp"
#include "cuts_ahead.hpp"
#include "destination_lock.hpp"
#include "engine/cut_name.hpp"
#include "engine/cut_points.hpp"
#include "engine/cutters.hpp"
#include "engine/errors.hpp"
#include "platform/files.hpp"
#include "engine/pre_reader.hpp"
#include "engine/song_source.hpp"
#include "engine/start_state.hpp"
#include "platform/text.hpp"
#include "error_messages.hpp"

namespace quorvane {

namespace {

// The folder a song's cut goes to.
std::string cutFolderOf(const std::string& song, const std::string& dest) {
    return dest.empty() ? utf8FromPath(pathFromUtf8(song).parent_path()) : dest;
}

CutRequest requestFor(const std::string& path, const ListedSong& listed, const std::string& dest, std::uint64_t cutTick,
                      const Timeline* timeline, const SongSource* song) {
    CutRequest request;
    request.source = path;
    request.listedName = listed.text;
    request.destFolder = dest;
    request.keepsNameCase = listed.keepsCase;
    request.cutNumber = listed.cutNumber;
    request.cutTick = cutTick;
    request.timeline = timeline;
    request.song = song;
    return request;
}

std::string writeCut(const CutRequest& request, bool formatOne) {
    return formatOne ? cutFormatOne(request).path : cutFormatZero(request).path;
}

// A batch file read, measured and its clip found, ready to cut.
struct PreparedFile {
    std::string path;
    std::unique_ptr<const SongSource> song;
    bool formatOne = false;
    SongHeader header;
    std::shared_ptr<const Timeline> timeline;
    std::uint64_t cutTick = 0;
    std::uint64_t startTick = 0;
    std::string line;
    std::string clipTime;
};

PreparedFile prepare(const BatchPlan& plan, int index, const BatchClip& clip) {
    const ListedSong& listed = plan.songs.at(static_cast<std::size_t>(index));
    PreparedFile file;
    file.path = plan.folder + pathSeparator() + listed.diskName;
    file.song = std::make_unique<const SongSource>(file.path);
    file.header = preRead(*file.song);
    // Refused as the window refuses it when chosen, before it is measured.
    if (file.header.format > 1) throw unsupportedFormat(file.path, file.header.format);
    file.formatOne = file.header.format == 1;
    file.timeline = std::make_shared<const Timeline>(Timeline::read(*file.song));
    const std::string length = minutesSeconds(wholeSeconds(file.timeline->length()));
    double startTime = 0;
    if (clip.from) {
        file.startTick = clipStartTick(*clip.from, *file.timeline, *file.song);
        startTime = file.timeline->seconds(file.startTick);
    }
    file.cutTick = cutTickForClip(*file.timeline, file.formatOne, startTime + plan.seconds);
    file.clipTime = minutesSeconds(wholeSeconds(clipSeconds(*file.timeline, file.cutTick) - startTime));
    const std::string name = withoutControlCharacters(listed.text);
    file.line = std::to_string(index + 1) + ". " + name + ": " + length + "\t" +
                numberedName(withoutExtension(name), listed.cutNumber) + "-cut.mid:" + file.clipTime +
                " - Format: " + (file.formatOne ? "1" : "0");
    return file;
}

std::string cutPrepared(const BatchPlan& plan, int index, const PreparedFile& file, const BatchClip& clip) {
    CutRequest request = requestFor(file.path, plan.songs[static_cast<std::size_t>(index)], plan.dest, file.cutTick,
                                    file.timeline.get(), file.song.get());
    std::optional<StartState> start;
    if (file.startTick > 0) request.start = &start.emplace(StartState::read(*file.song, file.startTick));
    request.fadeOutSeconds = clip.fadeOutSeconds;
    request.fadeCurve = clip.fadeCurve;
    return writeCut(request, file.formatOne);
}

// What a batch tells of a prepared file.
void takePrepared(BatchFileOutcome& outcome, const PreparedFile& file) {
    outcome.line = file.line;
    outcome.clipTime = file.clipTime;
    outcome.header = file.header;
    outcome.timeline = file.timeline;
    outcome.cutTick = file.cutTick;
    outcome.startTick = file.startTick;
}

// The cut of a prepared batch file and what follows it, into `outcome`.
void cutInto(BatchFileOutcome& outcome, const BatchPlan& plan, int index, const PreparedFile& file,
             const BatchClip& clip) {
    try {
        outcome.cutFilePath = cutPrepared(plan, index, file, clip);
    } catch (...) {
        outcome.failure = describeFileFailure(std::current_exception());
        outcome.error = std::current_exception();
        outcome.destinationFault = destinationFault(std::current_exception());
        return;
    }
    if (!plan.afterCut) return;
    try {
        plan.afterCut(outcome.cutFilePath);
    } catch (...) {
        outcome.previewFailure = describeReason(std::current_exception());
    }
}

}  // namespace

std::string SongInfo::refusal() const {
    if (format <= 1) return {};
    return describeFileFailure(std::make_exception_ptr(unsupportedFormat(path, format)));
}

SongInfo inspectSong(const std::string& file) {
    const SongInFolder alone = listSongAlone(file);
    return measureSong(alone.path(), alone.song);
}

SongInfo measureSong(const std::string& path, const ListedSong& listed, const std::atomic<bool>* stop) {
    SongInfo info;
    info.path = path;
    info.listed = listed;
    const SongSource song(info.path);
    const SongHeader header = preRead(song, stop);
    info.timeline = std::make_shared<const Timeline>(Timeline::read(song, stop));
    info.format = header.format;
    info.division = header.division;
    info.tempo = header.tempo;
    info.tickMs = header.tickMs;
    info.cutSteps = cutSteps(*info.timeline);
    return info;
}

std::uint64_t cutTickAt(const SongInfo& song, std::int32_t step) {
    if (!song.timeline) throw FileError(ErrorKind::NotPrepared, song.path, "the song has not been measured");
    return cutTickAtStep(*song.timeline, song.formatOne(), std::clamp(step, 0, song.cutSteps));
}

CutOutcome cutAtPosition(const SongInfo& song, std::int32_t step, const std::string& dest, const CutHook& afterCut) {
    if (song.format > 1) throw unsupportedFormat(song.path, song.format);
    const std::uint64_t cutTick = cutTickAt(song, step);
    const DestinationLock claim = claimDestination(cutFolderOf(song.path, dest), DestinationLock::Use::SingleCut);
    CutOutcome outcome{song.listed, {}, {}, song.format, song.timeline, cutTick};
    // The song is read afresh: what was measured may have changed on disk.
    outcome.cutFile =
        writeCut(requestFor(song.path, song.listed, dest, cutTick, song.timeline.get(), nullptr), song.formatOne());
    outcome.clipTime = minutesSeconds(wholeSeconds(clipSeconds(*song.timeline, cutTick)));
    if (afterCut) afterCut(outcome.cutFile);
    return outcome;
}

CutOutcome cutToClip(const std::string& file, double seconds, const std::string& dest, const CutHook& afterCut) {
    const SongInFolder alone = listSongAlone(file);
    const BatchPlan plan{alone.folder, {alone.song}, seconds, dest, afterCut};
    const PreparedFile prepared = prepare(plan, 0, {});
    const DestinationLock claim = claimDestination(cutFolderOf(prepared.path, dest), DestinationLock::Use::SingleCut);
    CutOutcome outcome{alone.song,        cutPrepared(plan, 0, prepared, {}),
                       prepared.clipTime, prepared.header.format,
                       prepared.timeline, prepared.cutTick};
    if (afterCut) afterCut(outcome.cutFile);
    return outcome;
}

std::string BatchPlan::logPath() const { return folder + pathSeparator() + "Quorvane.log"; }

BatchFileOutcome cutBatchFile(const BatchPlan& plan, int index, const BatchClip& clip) {
    BatchFileOutcome outcome;
    std::optional<PreparedFile> file;
    try {
        file.emplace(prepare(plan, index, clip));
    } catch (...) {
        outcome.failure = describeFileFailure(std::current_exception());
        outcome.error = std::current_exception();
        return outcome;
    }
    takePrepared(outcome, *file);
    cutInto(outcome, plan, index, *file, clip);
    return outcome;
}

int coreCount() { return static_cast<int>(std::max(1u, std::thread::hardware_concurrency())); }

std::string batchSummary(int cut, int count, const std::vector<BatchFailure>& failures,
                         const std::vector<BatchFailure>& previews) {
    constexpr std::size_t kListed = 20;
    std::string text = "Cut " + std::to_string(cut) + " of " + std::to_string(count) + " files.";
    std::size_t listed = 0;
    for (const auto& [heading, list] :
         {std::pair{"Not cut:", &failures}, std::pair{"Previews not written:", &previews}}) {
        if (list->empty() || listed == kListed) continue;
        text += listed == 0 ? ' ' : '\n';
        text += heading;
        for (std::size_t k = 0; k < list->size() && listed < kListed; ++k, ++listed) {
            text += '\n';
            text += withoutControlCharacters((*list)[k].fileName);
            text += ": " + (*list)[k].reason;
        }
    }
    const std::size_t all = failures.size() + previews.size();
    if (all > kListed) text += "\n... and " + std::to_string(all - kListed) + " more (see the log)";
    return text;
}

std::string BatchReport::message() const {
    std::string summary = failures.empty() && previewFailures.empty()
                              ? std::string()
                              : batchSummary(cut(), logged, failures, previewFailures);
    if (!stopReason.empty()) return "Stopped " + stopReason + (summary.empty() ? std::string() : "\n" + summary);
    return summary;
}

BatchReport cutFolder(const BatchPlan& plan, int jobs, BatchObserver& observer, const BatchClip& clip) {
    BatchReport report;
    const int count = report.count = static_cast<int>(plan.songs.size());
    const DestinationLock claim = claimDestination(plan.destination(), DestinationLock::Use::Batch);
    CutLog log(plan.logPath());
    const auto progressOf = [&](int index, const BatchFileOutcome& outcome) {
        return BatchProgress{index + 1,
                             count,
                             plan.songs[static_cast<std::size_t>(index)].text,
                             {},
                             outcome.failure,
                             outcome.error,
                             false,
                             outcome.header,
                             outcome.timeline,
                             outcome.cutTick,
                             outcome.clipTime,
                             outcome.startTick};
    };
    // A file's one line, once its outcome is known: its cut, or why it was not cut.
    const auto logFile = [&](int index, const BatchFileOutcome& outcome, BatchProgress& progress) {
        const std::string& name = progress.fileName;
        ++report.logged;
        if (!outcome.failure.empty()) {
            log.write(std::to_string(index + 1) + ". " + withoutControlCharacters(name) + ": " + outcome.failure +
                      "\r\n");
            report.failures.push_back({name, outcome.failure});
        } else if (!outcome.previewFailure.empty()) {
            log.write(outcome.line + "; PREVIEW NOT WRITTEN: " + withoutControlCharacters(outcome.previewFailure) +
                      "\r\n");
            report.previewFailures.push_back({name, outcome.previewFailure});
        } else {
            log.write(outcome.line + "\r\n");
        }
        progress.cutFilePath = outcome.cutFilePath;
        progress.failure = outcome.failure;
        progress.error = outcome.error;
        progress.done = true;
        observer.fileFinished(progress);
    };
    CutsAhead ahead(plan, jobs, clip);  // with several jobs, the files are cut there
    for (int index = 0; index < count; ++index) {
        BatchFileOutcome outcome;
        std::optional<PreparedFile> file;
        if (ahead.active()) {
            outcome = ahead.take(index);
        } else {
            try {
                file.emplace(prepare(plan, index, clip));
                takePrepared(outcome, *file);
            } catch (...) {
                outcome.failure = describeFileFailure(std::current_exception());
                outcome.error = std::current_exception();
            }
        }
        BatchProgress progress = progressOf(index, outcome);
        observer.fileStarted(progress);
        // A batch stopped here has not tried this file: the log does not name it.
        if (observer.stopRequested() == BatchStop::Now) return report;
        if (file) cutInto(outcome, plan, index, *file, clip);
        file.reset();  // its bytes let go before the next file is read
        if (!outcome.destinationFault.empty()) {
            // What refuses this cut refuses every other: no file is started
            // any more, and the batch ends with the cuts it has in hand.
            for (auto& [later, inHand] : ahead.rest(index)) {
                if (!inHand.destinationFault.empty()) continue;
                BatchProgress laterProgress = progressOf(later, inHand);
                observer.fileStarted(laterProgress);
                logFile(later, inHand, laterProgress);
            }
            report.destinationFault = outcome.destinationFault;
            report.stopReason = "after " + std::to_string(report.logged) + " of " + std::to_string(count) +
                                " files: cannot write into " + plan.destination() + ": " + outcome.destinationFault;
            log.write("stopped " + withoutControlCharacters(report.stopReason) + "\r\n");
            return report;
        }
        logFile(index, outcome, progress);
        // A stop asked for during this file takes effect now that it is done;
        // at the last file there is nothing left to stop.
        if (index + 1 < count && observer.stopRequested() != BatchStop::None) {
            report.stoppedAfter = std::to_string(index + 1) + " of " + std::to_string(count) + " files";
            log.write("stopped after " + report.stoppedAfter + "\r\n");
            return report;
        }
    }
    report.complete = true;
    return report;
}

}  // namespace quorvane
