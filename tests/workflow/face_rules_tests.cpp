// Rules every face shares: the play button's, the clock that plays a clip on
// a MIDI output, and what the window remembers between runs. Each face only
// supplies the player, the output and the store.

#include <chrono>
#include <map>
#include <mutex>
#include <thread>

#include "scripted_services.hpp"
#include "song_files.hpp"
#include "preview/clocked_player.hpp"
#include "workflow/clip_preview.hpp"
#include "workflow/remembered_settings.hpp"
#include "workflow/window_model.hpp"

namespace quorvane::test {
namespace {

using namespace std::string_literals;

class FaceRules : public ::testing::Test {
protected:
    FaceRules() : model(cutSlider, clipSlider, {picker, messages, pump, pause}) {
        WindowModel::applyDesign(cutSlider, clipSlider);
        model.start();
    }
    void openSongs() {
        picker.answers.push_back(songs.path().string());
        model.chooseSourceFolder();
    }

    TempDir songs;
    SliderModel cutSlider, clipSlider;
    ScriptedFolderPicker picker;
    RecordingMessages messages;
    ScriptedEventPump pump;
    NoPause pause;
    WindowModel model;
};

// Plays into a list instead of a device; or has no device at all.
class ListeningPlayer : public preview::ClipPlayer {
public:
    explicit ListeningPlayer(bool hasDevice) : hasDevice_(hasDevice) {}
    bool play(preview::SongEvents clip) override {
        heard = std::move(clip);
        playing_ = hasDevice_;
        return hasDevice_;
    }
    void stop() override { playing_ = false; }
    bool playing() const override { return playing_; }

    preview::SongEvents heard;

private:
    bool hasDevice_;
    bool playing_ = false;
};

TEST_F(FaceRules, ThePlayButtonPlaysTheCutsEndingOrSaysWhyNot) {
    ListeningPlayer* player = nullptr;
    int made = 0;
    bool hasDevice = true;
    ClipPreview preview(model, [&] {
        ++made;
        auto fresh = std::make_unique<ListeningPlayer>(hasDevice);
        player = fresh.get();
        return fresh;
    });
    EXPECT_EQ(preview.toggle(), "Nothing to play: choose a song in the list first.");
    songs.write("Song.mid", steadySong(0, 500000, 40));  // 20 s
    songs.write("Two.mid", cat({header(2, 1, 480), track(kEndOfTrack)}));
    openSongs();
    model.chooseSong(model.listIndexOf("Two.mid"));
    EXPECT_EQ(preview.toggle(), model.formatRefusal());
    model.chooseSong(model.listIndexOf("Song.mid"));
    cutSlider.setValue(0);
    EXPECT_EQ(preview.toggle(), "Nothing to play: move CUT POINT past the start.");
    EXPECT_EQ(made, 0);  // nothing to play: no player (no SoundFont) yet

    cutSlider.setValue(cutSlider.max());
    EXPECT_EQ(preview.toggle(), "Playing the last 5 s before the cut.");
    ASSERT_NE(player, nullptr);
    // The last five seconds of the whole song, its fade included: notes to the end.
    EXPECT_NEAR(player->heard.lastEventSeconds, 5.0, 0.01);
    EXPECT_FALSE(player->heard.events.empty());
    EXPECT_TRUE(preview.playing());
    EXPECT_EQ(preview.toggle(), "Preview stopped.");
    EXPECT_FALSE(preview.playing());

    hasDevice = false;
    preview.forgetPlayer();
    EXPECT_EQ(preview.toggle(), "No audio device: the preview cannot play.");
    EXPECT_EQ(made, 2);
    std::filesystem::remove(songs.file("Song.mid"));
    EXPECT_NE(preview.toggle().find("Song.mid"), std::string::npos);  // the file is named, nothing thrown

    EXPECT_EQ(ClipPreview(model, {}).toggle(), "Audio previews are not part of this build.");
    EXPECT_TRUE(messages.messages.empty());
}

// What a MIDI output was sent, and when, from the player's thread.
struct OutputLog {
    using Clock = std::chrono::steady_clock;
    std::mutex mutex;
    std::vector<std::pair<double, std::uint8_t>> sent;  // seconds after `start`, status
    int silenced = 0;
    int closed = 0;
    Clock::time_point start = Clock::now();
};

class RecordingOutput : public preview::MidiOutput {
public:
    explicit RecordingOutput(OutputLog& log) : log_(log) {}
    ~RecordingOutput() override {
        const std::lock_guard<std::mutex> lock(log_.mutex);
        ++log_.closed;
    }
    RecordingOutput(const RecordingOutput&) = delete;
    RecordingOutput& operator=(const RecordingOutput&) = delete;
    void send(const preview::TimedEvent& event) override {
        const std::lock_guard<std::mutex> lock(log_.mutex);
        const std::chrono::duration<double> since = OutputLog::Clock::now() - log_.start;
        log_.sent.emplace_back(since.count(), event.status);
    }
    void silence() override {
        const std::lock_guard<std::mutex> lock(log_.mutex);
        ++log_.silenced;
    }

private:
    OutputLog& log_;
};

preview::SongEvents clipAt(const std::vector<std::pair<double, std::uint8_t>>& events) {
    preview::SongEvents clip;
    for (const auto& [seconds, status] : events) clip.events.push_back({seconds, status, {60, 90}, {}});
    clip.lastEventSeconds = events.back().first;
    return clip;
}

// Each event goes out in order and never before its time; then the output is
// silenced and closed. A stop silences and closes at once, whatever is left;
// without an output nothing plays.
TEST(ClockedPlayer, SendsEachEventWhenDueAndAlwaysEndsInSilence) {
    OutputLog log;
    preview::ClockedPlayer player([&] { return std::make_unique<RecordingOutput>(log); }, 0.0);
    const std::vector<std::pair<double, std::uint8_t>> events{{0.0, 0x90}, {0.03, 0xF0}, {0.06, 0x80}};
    ASSERT_TRUE(player.play(clipAt(events)));
    for (int wait = 0; wait < 500 && player.playing(); ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_FALSE(player.playing());
    ASSERT_EQ(log.sent.size(), events.size());
    for (std::size_t i = 0; i < events.size(); ++i) {
        EXPECT_EQ(log.sent[i].second, events[i].second);
        EXPECT_GE(log.sent[i].first, events[i].first);
    }
    EXPECT_EQ(std::make_pair(log.silenced, log.closed), std::make_pair(1, 1));

    ASSERT_TRUE(player.play(clipAt({{0.0, 0x90}, {3600.0, 0x80}})));
    const auto sent = [&] {
        const std::lock_guard<std::mutex> lock(log.mutex);
        return log.sent.size();
    };
    for (int wait = 0; wait < 500 && sent() < 4; ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    player.stop();
    EXPECT_FALSE(player.playing());
    EXPECT_EQ(log.sent.size(), 4u);  // the note on, not the note off an hour later
    EXPECT_EQ(std::make_pair(log.silenced, log.closed), std::make_pair(2, 2));

    preview::ClockedPlayer silent([] { return std::unique_ptr<preview::MidiOutput>(); });
    EXPECT_FALSE(silent.play(clipAt({{0.0, 0x90}})));
    EXPECT_FALSE(silent.playing());
}

class MemoryStore : public SettingsStore {
public:
    std::string value(const std::string& key) override { return kept.count(key) ? kept[key] : ""; }
    void setValue(const std::string& key, const std::string& value) override { kept[key] = value; }
    void remove(const std::string& key) override { kept.erase(key); }
    std::map<std::string, std::string> kept;
};

TEST_F(FaceRules, FoldersAndClipLengthAreRememberedAndWhatIsGoneIsForgotten) {
    const TempDir dest;
    openSongs();
    picker.answers.push_back(dest.path().string());
    model.chooseDestFolder();
    clipSlider.setValue(12);
    MemoryStore store;
    saveSettings(store, model);
    EXPECT_EQ(store.kept, (std::map<std::string, std::string>{{"clipLength", "12"},
                                                              {"folders/destination", dest.path().string()},
                                                              {"folders/source", songs.path().string()}}));

    const auto restored = [&](MemoryStore& from) {
        SliderModel cut, clip;
        WindowModel::applyDesign(cut, clip);
        WindowModel next(cut, clip, {picker, messages, pump, pause});
        next.start();
        restoreSettings(from, next);
        return std::vector<std::string>{next.sourceFolder, next.appState().destFolder, next.clipLengthText};
    };
    EXPECT_EQ(restored(store), (std::vector<std::string>{songs.path().string(), dest.path().string(), "12"}));

    // A folder gone is forgotten; a clip length the slider does not take, or
    // not a number, is left alone.
    for (const std::string clip : {"-1", "9999", "12s", ""}) {
        MemoryStore odd;
        odd.kept = {{"folders/source", songs.file("gone")}, {"clipLength", clip}};
        EXPECT_EQ(restored(odd), (std::vector<std::string>{"", "", "30"})) << clip;
        EXPECT_EQ(odd.kept.count("folders/source"), 0u);
    }
    // Nothing chosen: nothing kept.
    SliderModel cut, clip;
    WindowModel::applyDesign(cut, clip);
    WindowModel fresh(cut, clip, {picker, messages, pump, pause});
    store.kept["folders/source"] = "stale";
    saveSettings(store, fresh);
    EXPECT_EQ(store.kept.count("folders/source"), 0u);
    EXPECT_TRUE(messages.messages.empty());
}

}  // namespace
}  // namespace quorvane::test
