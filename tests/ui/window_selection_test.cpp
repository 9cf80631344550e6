// A song chosen in the window is measured on a worker thread.

#include <thread>

#include "ui/thread_pool_work.hpp"
#include "window_fixture.hpp"

namespace quorvane::test {
namespace {

// The window's own background work, its jobs held until the test lets them go.
struct HeldWork : BackgroundWork {
    ~HeldWork() override { *held = false; }
    void run(std::function<void()> job, std::function<void()> done) override {
        inner.run(
            [held = held, job = std::move(job)] {
                while (*held) std::this_thread::yield();
                job();
            },
            std::move(done));
    }
    std::shared_ptr<std::atomic<bool>> held = std::make_shared<std::atomic<bool>>(true);
    ui::ThreadPoolWork inner;
};

class WindowSelection : public WindowTest {
protected:
    WindowSelection() {
        songs.write("A.mid", steadySong(0, 500000, 80));
        songs.write("B.mid", steadySong(1, 500000, 504));  // 04:12
        songs.write("C.mid", cat({header(0, 1, 96), track({0x00, 0x40})}));
        win.model().useSourceFolder(songs.path().string());
        win.refresh();
    }
    void letGo() {
        *work.held = false;
        EXPECT_TRUE(QTest::qWaitFor([&] { return !win.model().measuring(); }));
        QTest::qWait(50);  // a result dropped would have arrived by now
    }
    HeldWork work;
    ui::MainWindow win{PlatformServices{picker, messages, pump, pause, &work}};
};

TEST_F(WindowSelection, TheLatestChoiceIsShownOnceMeasuredAndABrokenSongIsReportedOnce) {
    win.chooseRow(0);
    EXPECT_EQ(caption(win.labStatus()), "Measuring A.MID...");
    win.chooseRow(1);
    letGo();
    EXPECT_EQ(caption(win.labDurataTempo()), "04:12");
    EXPECT_EQ(caption(win.labStatus()), "");
    *work.held = true;
    win.chooseRow(2);
    letGo();
    EXPECT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(win.list().currentRow(), -1);
}

TEST_F(WindowSelection, NothingIsCutOrPlayedUntilTheChosenSongIsMeasuredAndAWindowGoneHearsNothing) {
    win.chooseRow(0);
    letGo();
    win.segmento().SetValue(20);
    *work.held = true;
    win.chooseRow(1);
    win.runCommand(ui::layout::kCutOne);
    win.runCommand(ui::layout::kPlay);
    EXPECT_EQ(caption(win.labStatus()), "Nothing cut: the song is still being measured.");
    letGo();
    win.runCommand(ui::layout::kCutOne);
    EXPECT_EQ(caption(win.labStatus()), "Written: B-CUT.mid");
    EXPECT_EQ(songs.names().size(), 4u);

    // A window gone during a measure never hears of it.
    auto gone = std::make_unique<ui::MainWindow>(PlatformServices{picker, messages, pump, pause, &work});
    *work.held = true;
    gone->model().useSourceFolder(songs.path().string());
    gone->refresh();
    gone->chooseRow(1);
    EXPECT_TRUE(gone->model().measuring());
    gone.reset();
    letGo();
    EXPECT_TRUE(messages.messages.empty()) << messages.messages.front();
}

}  // namespace
}  // namespace quorvane::test
