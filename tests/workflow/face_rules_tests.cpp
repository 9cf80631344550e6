// Rules every face shares: the play button's, the clock that plays a clip on
// a MIDI output, and what the window remembers between runs. Each face only
// supplies the player, the output and the store.

#include <chrono>
#include <map>
#include <mutex>
#include <thread>

#include "preview/clocked_player.hpp"
#include "workflow/clip_preview.hpp"
#include "workflow/drop_request.hpp"
#include "workflow/remembered_settings.hpp"
#include "window_model_fixture.hpp"

namespace quorvane::test {
namespace {

using namespace std::string_literals;

using FaceRules = WindowModelTest;

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
    openSource();
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

// A preview played to its end: the face says so, and the status line tells it unless a command spoke since.
TEST_F(FaceRules, APreviewPlayedToItsEndSaysSoUnlessNewerNewsCame) {
    model.status = "Playing the last 5 s before the cut.";
    EXPECT_TRUE(model.previewEnded());
    EXPECT_EQ(model.status, "Preview ended.");
    model.status = "Written: a-cut.mid";
    EXPECT_FALSE(model.previewEnded());
    EXPECT_EQ(model.status, "Written: a-cut.mid");
}

// What a MIDI output was sent (status, seconds after `start`), silenced
// (status 0) and closed (status 1), from the player's thread.
struct OutputLog {
    std::mutex mutex;
    std::vector<std::pair<std::uint8_t, double>> heard;
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    void note(std::uint8_t what) {
        const std::lock_guard<std::mutex> lock(mutex);
        heard.emplace_back(what, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::vector<std::uint8_t> what() {
        const std::lock_guard<std::mutex> lock(mutex);
        std::vector<std::uint8_t> out;
        for (const auto& entry : heard) out.push_back(entry.first);
        return out;
    }
};

struct RecordingOutput : preview::MidiOutput {
    explicit RecordingOutput(OutputLog& log) : log(log) {}
    ~RecordingOutput() override { log.note(1); }
    void send(const preview::TimedEvent& event) override { log.note(event.status); }
    void silence() override { log.note(0); }
    OutputLog& log;
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
    const auto waitFor = [&](std::size_t heard) {
        for (int wait = 0; wait < 500 && player.playing() && log.what().size() < heard; ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    };
    ASSERT_TRUE(player.play(clipAt({{0.0, 0x90}, {0.03, 0xF0}, {0.06, 0x80}})));
    waitFor(99);
    EXPECT_FALSE(player.playing());
    EXPECT_EQ(log.what(), (std::vector<std::uint8_t>{0x90, 0xF0, 0x80, 0, 1}));
    for (std::size_t i = 0; i < 3 && i < log.heard.size(); ++i) EXPECT_GE(log.heard[i].second, 0.03 * double(i));

    ASSERT_TRUE(player.play(clipAt({{0.0, 0x90}, {3600.0, 0x80}})));
    waitFor(6);
    player.stop();
    EXPECT_FALSE(player.playing());
    // The note on, not the note off an hour later.
    EXPECT_EQ(log.what(), (std::vector<std::uint8_t>{0x90, 0xF0, 0x80, 0, 1, 0x90, 0, 1}));

    preview::ClockedPlayer silent([] { return std::unique_ptr<preview::MidiOutput>(); });
    EXPECT_FALSE(silent.play(clipAt({{0.0, 0x90}})));
    EXPECT_FALSE(silent.playing());
}

// A drop takes one folder (with a separator at its end or not) or one .mid
// file in any case, named as on disk; anything else is refused.
TEST(Drop, TakesOneFolderOrOneMidiFile) {
    const TempDir dir;
    for (const char* name : {"A.MID", "b.mid", "notes.txt"}) dir.write(name, {});
    std::filesystem::create_directory(dir.path() / "sub.mid");
    const std::string folder = dir.path().string();
    const auto taken = [](const std::vector<std::string>& paths) {
        const std::optional<DropRequest> request = dropRequest(paths);
        return request ? request->folder + "|" + request->fileName : "refused";
    };
    EXPECT_EQ(taken({folder}), folder + "|");
    EXPECT_EQ(taken({folder + "/"}), folder + "|");
    EXPECT_EQ(taken({dir.file("sub.mid")}), dir.file("sub.mid") + "|");
    EXPECT_EQ(taken({dir.file("A.MID")}), folder + "|A.MID");
    EXPECT_EQ(taken({dir.file("b.mid")}), folder + "|b.mid");
    for (const std::vector<std::string>& refused : std::vector<std::vector<std::string>>{
             {dir.file("notes.txt")}, {dir.file("gone.mid")}, {dir.file("A.MID"), dir.file("b.mid")}, {""}, {}})
        EXPECT_EQ(taken(refused), "refused") << refused.size();
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
    openSource();
    picker.answers.push_back(dest.path().string());
    model.chooseDestFolder();
    clipSlider.setValue(59);  // the longest clip the slider takes
    MemoryStore store;
    saveSettings(store, model);
    EXPECT_EQ(store.kept, (std::map<std::string, std::string>{{"clipLength", "59"},
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
    EXPECT_EQ(restored(store), (std::vector<std::string>{songs.path().string(), dest.path().string(), "59"}));

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
