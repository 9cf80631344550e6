// The window driving the workflow: choosing songs, the sliders, the cuts and
// the batch.

#include "slider/value_tip.hpp"
#include "workflow/time_display.hpp"
#include "window_fixture.hpp"

namespace quorvane::test {
namespace {

namespace layout = ui::layout;

class WindowCommands : public WindowTest {
protected:
    int rowOf(const char* listed) {
        const auto found = window.list().findItems(QString::fromLatin1(listed), Qt::MatchExactly);
        return found.size() == 1 ? window.list().row(found[0]) : -1;
    }
};

TEST_F(WindowCommands, TheCutPointShowsWhereTheSongIsCut) {
    songs.write("Long.mid", steadySong(1, 500000, 504));  // 04:12 at 120 bpm
    songs.write("Short.mid", steadySong(0, 500000, 80));  // 00:40
    openSource();
    click(rowAt(rowOf("LONG.MID")));
    EXPECT_EQ(caption(window.text9()), (songs.path() / "Long.mid").string());

    // A press on the cut slider moves its thumb there; the time at that
    // position is shown at once.
    const QPoint onSegmento = window.segmento().geometry().topLeft() + QPoint(60, 10);
    press(onSegmento);
    const std::int32_t position = window.segmento().Value();
    EXPECT_EQ(caption(window.labDurataTempo()), minutesSeconds(wholeSeconds(position * 1000.0, 120)));
    // Its tip shows that time too, not the step.
    moveTo(onSegmento + QPoint(30, 0));
    ASSERT_NE(frmValueTip::Loaded(), nullptr);
    EXPECT_EQ(frmValueTip::Loaded()->lblTip->text(), window.labDurataTempo().text());
    // Dragged past the end of the rail: the whole song.
    const QPoint pastTheEnd = window.segmento().geometry().topRight() + QPoint(20, 10);
    moveTo(pastTheEnd);
    release(pastTheEnd);
    EXPECT_EQ(window.segmento().Value(), 388);
    EXPECT_EQ(caption(window.labDurataTempo()), "04:12");

    // A shorter song: the thumb stands at its end, and that is where CUT ONE cuts.
    click(rowAt(rowOf("SHORT.MID")));
    EXPECT_EQ(window.segmento().Value(), 62);
    EXPECT_EQ(window.segmento().ThumbLeft(), window.segmento().width() - stored_sliders::kSegmento.thumb.width);
    click(layout::kCutOne);
    QCoreApplication::processEvents();
    EXPECT_EQ(caption(window.labStatus()), "Written: short-cut.mid");
    EXPECT_TRUE(std::filesystem::exists(songs.path() / "short-cut.mid"));

    // The clip length shows two digits.
    click(window.choose().geometry().topLeft() + QPoint(10, 64));
    EXPECT_EQ(window.choose().Value(), 5);
    EXPECT_EQ(caption(window.labChoose()), "05");
}

// While the batch handles events, the window shows the file in hand; clicks
// on the list and presses on the sliders change nothing.
TEST_F(WindowCommands, CutAllShowsTheFileInHandAndFreezesTheListAndSliders) {
    songs.write("A.MID", steadySong(0, 500000, 40));
    songs.write("B.MID", steadySong(0, 500000, 60));
    openSource();
    window.choose().SetValue(2);
    std::vector<std::string> shown;
    pump.onPump = [&] {
        shown.push_back(caption(window.text9()) + " " + caption(window.labDurataTempo()) + " row " +
                        std::to_string(window.list().currentRow()));
        click(rowAt(0));
        for (const TarnSliderWidget* slider : {&window.choose(), &window.segmento()}) {
            press(slider->geometry().topLeft() + QPoint(8, 8));
            moveTo(slider->geometry().topLeft() + QPoint(10, 10));
            EXPECT_EQ(frmValueTip::Loaded(), nullptr);
            release(slider->geometry().topLeft() + QPoint(10, 10));
        }
        EXPECT_EQ(window.choose().Value(), 2);
    };
    click(layout::kCutAll);
    QCoreApplication::processEvents();  // whatever the batch left queued
    EXPECT_TRUE(messages.messages.empty()) << messages.messages.front();

    const std::string first = window.list().item(0)->text().toStdString();
    const std::string second = window.list().item(1)->text().toStdString();
    EXPECT_EQ(shown, (std::vector<std::string>{(songs.path() / first).string() + " 00:02 row 0",
                                               (songs.path() / second).string() + " 00:02 row 1"}));
    // The last file stays current, shown at its cut time (marking its row
    // does not select it again), and the last cut's path is shown.
    EXPECT_EQ(window.list().currentRow(), 1);
    EXPECT_EQ(caption(window.labDurataTempo()), "00:02");
    EXPECT_EQ(caption(window.labNum()), "Done!");
    EXPECT_EQ(caption(window.text9()), (songs.path() / (second == "A.MID" ? "a-cut.mid" : "b-cut.mid")).string());
}

// Only the user's own act chooses a song: a click (again on the chosen row
// too) or a key that moves the current row. Focus changes and message boxes
// closing choose nothing, so a broken first file is reported once.
TEST_F(WindowCommands, OnlyTheUserChoosesASongSoABrokenOneIsReportedOnce) {
    songs.write("AAA.MID", cat({header(0, 1, 96), track({0x00, 0x40})}));
    songs.write("GOOD.MID", steadySong(0, 500000, 8));
    songs.write("OTHER.MID", steadySong(0, 500000, 40));
    const auto focusAndWait = [&] {
        window.activateWindow();
        window.list().setFocus();
        window.setFocus();
        window.list().setFocus();
        QTest::qWait(20);
    };
    openSource();
    focusAndWait();
    EXPECT_TRUE(messages.messages.empty()) << messages.messages.front();

    click(rowAt(rowOf("AAA.MID")));
    focusAndWait();
    EXPECT_EQ(messages.messages.size(), 1u);
    // Nothing is current, and nothing stays selected; a click tries again.
    EXPECT_EQ(caption(window.text9()), "");
    EXPECT_TRUE(window.list().selectedItems().isEmpty());
    click(rowAt(rowOf("AAA.MID")));
    EXPECT_EQ(messages.messages.size(), 2u);

    // A click on the chosen song reads it again; a key moves on.
    click(rowAt(rowOf("GOOD.MID")));
    songs.write("GOOD.MID", steadySong(0, 500000, 16));
    click(rowAt(rowOf("GOOD.MID")));
    EXPECT_EQ(caption(window.labDurataTempo()), "00:08");
    QTest::keyClick(&window.list(), Qt::Key_Down);
    QCoreApplication::processEvents();
    EXPECT_EQ(caption(window.labDurataTempo()), "00:20");
}

// Closing the window during CUT ALL waits for the batch to stop.
TEST_F(WindowCommands, ExitDuringCutAllClosesOnceTheBatchHasStopped) {
    songs.write("ONE.MID", steadySong(0, 500000, 40));
    openSource();
    bool shownUntilTheBatchStops = false;
    pump.onPump = [&] {
        pump.onPump = nullptr;
        click(layout::kExit);
        shownUntilTheBatchStops = window.isVisible();
    };
    click(layout::kCutAll);
    EXPECT_TRUE(shownUntilTheBatchStops);
    EXPECT_FALSE(window.isVisible());
}

#ifdef QUORVANE_WITH_PREVIEW
// The play button and Space start and stop the preview of the cut point; the
// frames go to FluidSynth's file driver instead of a device.
TEST_F(WindowCommands, PlayAndSpaceStartAndStopThePreviewOfTheCutPoint) {
    ui::CutPointPreview& preview = window.cutPointPreview();
    preview.useDriver("file", out.file("played.wav"));
    const auto status = [&](const std::function<void()>& press) {
        press();
        QCoreApplication::processEvents();
        return caption(window.labStatus());
    };
    const std::function<void()> button = [&] { click(layout::kPlay); };
    const std::function<void()> space = [&] { QTest::keyClick(handle(), Qt::Key_Space); };
    songs.write("Song.mid", steadySong(1, 500000, 80));
    openSource();
    EXPECT_EQ(status(button), "Nothing to play: choose a song in the list first.");
    click(rowAt(0));
    window.segmento().SetValue(20);
    for (const bool byButton : {true, false}) {
        EXPECT_EQ(status(byButton ? button : space), "Playing the last 5 s before the cut.");
        EXPECT_TRUE(QTest::qWaitFor([&] { return preview.framesPlayed() > 4410 && preview.voicesHeard() > 0; }, 5000));
        EXPECT_EQ(status(byButton ? space : button), "Preview stopped.");
        const std::uint64_t played = preview.framesPlayed();
        QTest::qWait(50);
        EXPECT_EQ(preview.framesPlayed(), played);
    }
    // Played to its end, it says so.
    window.segmento().SetValue(1);  // the first position: a clip of under a second
    EXPECT_EQ(status(button), "Playing the last 5 s before the cut.");
    EXPECT_TRUE(QTest::qWaitFor([&] { return caption(window.labStatus()) == "Preview ended."; }, 10000));
    // The frames the driver wrote are sound, not silence.
    const Bytes wav = readBytes(out.file("played.wav"));
    const std::string text(wav.begin(), wav.end());
    int loudest = 0;
    for (std::size_t k = text.find("data") + 8; k + 1 < wav.size(); k += 2) {
        loudest = std::max(loudest, std::abs(static_cast<std::int16_t>(wav[k] | wav[k + 1] << 8)));
    }
    EXPECT_GT(loudest, 300);  // above -40 dBFS
}
#endif

}  // namespace
}  // namespace quorvane::test
