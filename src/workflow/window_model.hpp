#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app_state.hpp"
#include "core/cut_service.hpp"
#include "engine/cutters.hpp"
#include "platform_services.hpp"
#include "slider/slider_model.hpp"
#include "engine/timeline.hpp"

namespace quorvane {

// The main window's behaviour without the window: its state, the captions
// and list it shows, and the handlers of its commands, which cut through
// the cut service. The window and the tests drive this class. The two
// sliders belong to the host (plain models, or the window's widgets).
//
// Command entry points (chooseSong, the folder and cut commands, listAgain,
// and the slider events) never let an error escape: it is shown once through the message sink and
// ends that command only.
class WindowModel : private BatchObserver {
public:
    WindowModel(SliderModel& cutPoint, SliderModel& clipLength, PlatformServices services);
    ~WindowModel() override;
    WindowModel(const WindowModel&) = delete;
    WindowModel& operator=(const WindowModel&) = delete;

    // Gives the sliders the window's design-time ranges and values.
    static void applyDesign(SliderModel& cutPoint, SliderModel& clipLength);

    // The captions and the list the window shows.
    std::string sourceFolder;
    std::string status;       // one line on what the last command did, or why it did nothing
    std::string listedCount;  // how many songs the list holds
    std::string cutCount;     // files a CUT ALL has done so far, then "Done!"
    std::string clipLengthText;
    std::string cutPointTime;
    std::vector<ListedSong> songs;

    SliderModel& cutSlider;
    SliderModel& clipSlider;

    // The cut slider's range when no song is current.
    static constexpr std::int32_t kNoSongMax = 100;

    // The clip length of CUT ALL in seconds: the CLIP LENGTH slider's value.
    double clipLengthSeconds() const { return clipSlider.value(); }

    // Milliseconds to wait after each file of a CUT ALL.
    int batchPauseMs = 250;
    // Called as a CUT ALL starts and finishes each file.
    std::function<void(const BatchProgress&)> onBatchProgress;
    // Called after either slider moved, by the user or by a command, once
    // the captions it changes are updated.
    std::function<void()> onSliderMoved;
    // Called when a song chosen in the list has been measured (or found
    // unreadable) after chooseSong returned: the window shows it then.
    std::function<void()> onSelectionMeasured;

    // Entry points.
    void start();
    void chooseSong(int index);
    void chooseSourceFolder() { command(&WindowModel::askSourceFolder, true); }  // SOURCE
    void chooseDestFolder() { command(&WindowModel::askDestFolder, true); }      // DEST
    void cutAll() { command(&WindowModel::cutEverySong, true); }                 // CUT ALL
    void cutOne() { command(&WindowModel::cutCurrentSong, true); }               // CUT ONE
    void listAgain() { command(&WindowModel::listSourceAgain, true); }           // F5: the source folder listed again
    // SOURCE and DEST answered with `folder` without asking (a folder dropped
    // on the window, or remembered from the last run).
    void useSourceFolder(const std::string& folder);
    void useDestFolder(const std::string& folder);
    // The list position of the file named `diskName`; -1 when it is not listed.
    int listIndexOf(const std::string& diskName) const;
    // The list position of the current song; -1 without one.
    int currentIndex() const;

    // The exit button: during a CUT ALL the batch stops at its next event
    // processing with the log closed; the host ends the program.
    void requestExit() { exitRequested_ = true; }
    bool exitRequested() const { return exitRequested_; }
    // Stops a running CUT ALL once the file in hand is cut; the log ends
    // with a line saying so, and the program goes on. Nothing without a batch.
    void requestStop() { stopRequested_ = batchRunning_; }
    bool batchRunning() const { return batchRunning_; }
    // A song chosen in the list is named but still being measured: until it
    // is, nothing cuts or plays it, nor the song before it.
    bool measuring() const noexcept { return selectionStop_ != nullptr; }

    // What the engine and the measure learned of the current file.
    const AppState& appState() const noexcept { return state_; }
    // The current song's timeline, once measured; null without one.
    const Timeline* timeline() const noexcept { return song_.timeline.get(); }

    // The cut CUT ONE would make now, and whether it is a Format 1 cut;
    // nothing without a current song or with the cut slider at its start.
    std::optional<std::pair<CutRequest, bool>> pendingCut() const;

    // The length of the clip CUT ONE writes with the cut slider at `value`,
    // as mm:ss (00:00 at the start: no clip). Empty without a current song
    // that can be cut.
    std::string timeAtPosition(std::int32_t value) const;
    // What the cut slider's tip says with its thumb at `value`: that time,
    // or "--:--" without one.
    std::string cutPointTip(std::int32_t value) const {
        std::string time = timeAtPosition(value);
        return time.empty() ? std::string("--:--") : time;
    }
    // The names the status line may shorten when it is too long for its
    // place (see shortenCaption): the song's, the cut's and the folders' as
    // shown, the cut's file name and every listed song.
    std::vector<std::string> statusNames() const;
    // The face's news that the preview has played to its end: the status
    // line says so, unless a command has said something else since. Returns
    // whether the status line changed.
    bool previewEnded();
    // What CUT ONE says of the current song when no cutter takes its format
    // (2 and up), in the words of the batch log; empty otherwise.
    std::string formatRefusal() const;
    // The files the last CUT ALL could not cut.
    const std::vector<BatchFailure>& batchFailures() const noexcept { return failures_; }

private:
    // The commands themselves; they throw. The entry points above wrap them.
    void askSourceFolder();
    void askDestFolder();
    void listSourceAgain();
    void cutCurrentSong();
    void cutEverySong();
    // A CUT ALL as the window shows it: each file current as it is cut, its
    // cut point on the slider, the window's events handled between files.
    void fileStarted(const BatchProgress& progress) override;
    void fileFinished(const BatchProgress& progress) override;
    BatchStop stopRequested() override;
    void cutPointMoved();
    void clipLengthMoved();
    // The current file's names, as a choice shows them before reading it.
    void nameCurrent(const ListedSong& item);
    // A song chosen in the list: named at once, measured by the background
    // work, and current once measured, unless something else came first.
    struct MeasuredSong;
    void select(const ListedSong& item);
    void finishSelection(MeasuredSong& measured);
    // The measure under way is not wanted any more: its result is dropped.
    void abandonSelection();
    void forgetCurrentFile();
    // Gives the cut slider the current song's range and makes CutTick the
    // cut its thumb shows.
    void fitCutSlider();
    // TIME and CutTick follow the thumb.
    void showCutPoint();
    // Where CUT ONE ends the current song's clip with the cut slider at `value`.
    std::uint64_t cutTickAt(std::int32_t value) const;
    void clearListing();
    // Lists the source folder anew; the current song stays current only if
    // it is listed again under its name.
    void listSource();
    void keepCurrentIfListed();

    // Runs `body` as a command: errors reach the user once, at the outermost level.
    void guarded(const std::function<void()>& body);
    void command(void (WindowModel::*handler)(), bool exclusive);
    void report(const std::exception_ptr& error);

    // The state the engine works on.
    AppState state_;
    // The current song as the cut service measured it; no timeline until it is.
    SongInfo song_;
    PlatformServices services_;
    // Set when the song being measured is not wanted any more; null when
    // no song is being measured.
    std::shared_ptr<std::atomic<bool>> selectionStop_;
    bool selecting_ = false;       // inside select(): a result now is no later news
    std::string measuringStatus_;  // what status says while a song is measured
    std::vector<BatchFailure> failures_;
    std::vector<BatchFailure> previewFailures_;  // cut, but onCutWritten failed
    int depth_ = 0;
    bool batchRunning_ = false;
    bool exitRequested_ = false;
    bool stopRequested_ = false;
};

}  // namespace quorvane
