// The window without a mouse (keys, shortcuts, a batch stopped), drops on
// it, and what it remembers between runs.

#include <QDropEvent>
#include <QMessageBox>
#include <QMimeData>
#include <QSettings>
#include <QUrl>

#include "slider/value_tip.hpp"
#include "ui/focus_ring.hpp"
#include "ui/window_settings.hpp"
#include "window_fixture.hpp"

namespace quorvane::test {
namespace {

namespace layout = ui::layout;

class WindowKeyboard : public WindowTest {
protected:
    WindowKeyboard() {
        window.activateWindow();  // shortcuts go to the active window
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        songs.write("A.MID", steadySong(0, 500000, 40));
        songs.write("B.MID", steadySong(0, 500000, 60));
    }
    static QWidget* focused() { return QApplication::focusWidget(); }
    void key(int key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(focused() ? focused() : &window, Qt::Key(key), modifiers);
        QCoreApplication::processEvents();
    }
};

TEST_F(WindowKeyboard, EveryCommandIsReachedFromTheKeyboard) {
    // Tab goes down the left column, then the right, then the title's buttons.
    window.button(layout::kSource).setFocus(Qt::TabFocusReason);
    const std::vector<QWidget*> order{&window.button(layout::kDest),
                                      &window.button(layout::kCutAll),
                                      &window.choose(),
                                      &window.list(),
                                      &window.segmento(),
                                      &window.button(layout::kPlay),
                                      &window.button(layout::kCutOne),
                                      &window.button(layout::kMinimise),
                                      &window.button(layout::kExit),
                                      &window.button(layout::kSource)};
    for (QWidget* next : order) {
        key(Qt::Key_Tab);
        EXPECT_EQ(focused(), next) << next->objectName().toStdString();
        EXPECT_EQ(window.keys().focusRing().target(), next);
    }

    // Space on SOURCE shows it pressed while held, and opens the folder picker.
    picker.answers.push_back(songs.path().string());
    QTest::keyPress(focused(), Qt::Key_Space);
    EXPECT_EQ(window.button(layout::kSource).pictureName(), "SOURCEDW");
    QTest::keyRelease(focused(), Qt::Key_Space);
    QCoreApplication::processEvents();
    ASSERT_EQ(window.list().count(), 2);
    window.chooseRow(1);

    // The cut point's keys move it by one, by a tenth, and to its ends; the
    // time follows, and the tip shows while a key is held.
    window.segmento().setFocus(Qt::TabFocusReason);
    const struct {
        int key;
        std::int32_t value;
    } moves[] = {{Qt::Key_Home, 0}, {Qt::Key_Right, 1}, {Qt::Key_PageUp, 5}, {Qt::Key_Down, 4}, {Qt::Key_End, 47}};
    for (const auto& move : moves) {
        QTest::keyPress(focused(), Qt::Key(move.key));
        ASSERT_NE(frmValueTip::Loaded(), nullptr);
        EXPECT_EQ(frmValueTip::Loaded()->lblTip->text().toStdString(), window.model().timeAtPosition(move.value));
        QTest::keyRelease(focused(), Qt::Key(move.key));
        EXPECT_EQ(frmValueTip::Loaded(), nullptr);
        EXPECT_EQ(window.segmento().Value(), move.value);
        if (move.value > 0) {  // at 0 TIME keeps what it showed
            EXPECT_EQ(caption(window.labDurataTempo()), window.model().timeAtPosition(move.value));
        }
    }

    // The shortcuts.
    key(Qt::Key_Home);
    key(Qt::Key_PageUp);
    key(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(caption(window.labStatus()), "Written: b-cut.mid");
    picker.answers.push_back(out.path().string());
    key(Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(caption(window.textDest()), out.path().string());
    key(Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(picker.requests.size(), 3u);
    key(Qt::Key_F1);
    const auto* about = window.findChild<QMessageBox*>(QStringLiteral("AboutBox"));
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(about->text().contains(QStringLiteral(QUORVANE_VERSION)));
    EXPECT_TRUE(about->text().contains(QString::fromLatin1(qVersion())));
    delete about;
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    key(Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(window.isVisible());
}

TEST_F(WindowKeyboard, EscapeStopsCutAllBetweenTwoFiles) {
    openSource();
    window.choose().SetValue(2);
    window.list().setFocus();
    std::vector<std::string> during;
    pump.onPump = [&] {
        during.push_back(caption(window.labStatus()));
        EXPECT_TRUE(window.batchProgress().isVisible());
        QTest::keyClick(&window.list(), Qt::Key_Escape);  // whichever control has the focus
    };
    key(Qt::Key_Return, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(during, std::vector<std::string>{"1 of 2"});
    EXPECT_EQ(caption(window.labStatus()), "Stopped after 1 of 2 files; log in Quorvane.log.");
    EXPECT_EQ(log(), "1. A.MID: 00:20\tA-cut.mid:00:02 - Format: 0\r\nstopped after 1 of 2 files\r\n");
    EXPECT_FALSE(window.batchProgress().isVisible());
    EXPECT_TRUE(window.isVisible());
}

TEST_F(WindowKeyboard, AFolderOrOneMidiFileMayBeDropped) {
    songs.write("notes.txt", Bytes{'x'});
    const struct {
        std::string path;
        bool taken;
        int row;
    } drops[] = {
        {songs.path().string(), true, -1}, {songs.file("B.MID"), true, 1}, {songs.file("notes.txt"), false, -1}};
    for (const auto& drop : drops) {
        ui::MainWindow fresh{services};
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(drop.path))});
        QDragEnterEvent enter(QPoint(300, 200), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(&fresh, &enter);
        EXPECT_EQ(enter.isAccepted(), drop.taken) << drop.path;
        QDropEvent dropped(QPointF(300, 200), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(&fresh, &dropped);
        QCoreApplication::processEvents();
        EXPECT_EQ(fresh.list().count(), drop.taken ? 2 : 0) << drop.path;
        EXPECT_EQ(fresh.list().currentRow(), drop.row) << drop.path;
        if (drop.row >= 0) {
            EXPECT_EQ(caption(fresh.text9()), drop.path);
        }
    }
}

TEST_F(WindowKeyboard, FoldersClipLengthAndPlaceAreRemembered) {
    QSettings store(QString::fromStdString(out.file("settings.ini")), QSettings::IniFormat);
    ui::WindowSettings settings(store);
    const TempDir dest;
    openSource();
    picker.answers.push_back(dest.path().string());
    click(layout::kDest);
    window.choose().SetValue(12);
    window.move(40, 30);
    settings.save(window);

    const auto restored = [&] {
        ui::MainWindow next{services};
        settings.restore(next);
        return std::vector<std::string>{caption(next.textPath()), caption(next.textDest()), caption(next.labChoose()),
                                        std::to_string(next.pos().x()), next.cutPointPreview().soundFont()};
    };
    store.setValue(QStringLiteral("preview/soundfont"), QStringLiteral("/sf/piano.sf2"));  // set by hand
    EXPECT_EQ(restored(),
              (std::vector<std::string>{songs.path().string(), dest.path().string(), "12", "40", "/sf/piano.sf2"}));
    // A folder gone since is forgotten without a word.
    std::filesystem::remove_all(dest.path());
    EXPECT_EQ(restored()[1], "");
    EXPECT_FALSE(store.contains(QStringLiteral("folders/destination")));
    EXPECT_TRUE(messages.messages.empty());
}

}  // namespace
}  // namespace quorvane::test
