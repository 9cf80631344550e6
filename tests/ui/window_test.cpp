// The window on the test platform: its face (frame, every control's place, the artwork), the mouse on its
// picture buttons, LEDs and background, and the workflow driven by mouse and keyboard: choosing songs, the
// sliders, the cuts, the batch, drops, and what it remembers between runs.

#include <gtest/gtest.h>

#include <QDir>
#include <QDropEvent>
#include <QImage>
#include <QListWidget>
#include <QMessageBox>
#include <QMimeData>
#include <QSettings>
#include <QTest>
#include <QUrl>
#include <QWheelEvent>
#include <QWindow>

#include <thread>

#include "slider/value_tip.hpp"
#include "ui/focus_ring.hpp"
#include "ui/main_window.hpp"
#include "ui/thread_pool_executor.hpp"
#include "ui/window_settings.hpp"
#include "scripted_services.hpp"
#include "song_files.hpp"
#include "version/version.hpp"

namespace quorvane::test {
namespace {

namespace layout = ui::layout;
using namespace std::string_literals;

// The window, shown and active (shortcuts go to it) on the test platform, with scripted services and two songs
// in the folder, A.MID (00:20) and B.MID (00:30). Mouse events go through the window system's path (the window
// picks the control under the pointer and keeps a pressed button's events with its control), at positions in the
// window.
class WindowTest : public ::testing::Test {
protected:
    WindowTest() {
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        songs.write("A.MID", steadySong(0, 500000, 40));
        songs.write("B.MID", steadySong(0, 500000, 60));
    }

    QWindow* handle() { return window.windowHandle(); }
    static QPoint centre(const QWidget& control) { return control.geometry().center(); }
    void press(QPoint at, Qt::MouseButton button = Qt::LeftButton) { QTest::mousePress(handle(), button, {}, at); }
    void release(QPoint at, Qt::MouseButton button = Qt::LeftButton) { QTest::mouseRelease(handle(), button, {}, at); }
    void moveTo(QPoint at) { QTest::mouseMove(handle(), at); }
    void click(QPoint at, Qt::MouseButton button = Qt::LeftButton) { QTest::mouseClick(handle(), button, {}, at); }
    void click(const QWidget& control, Qt::MouseButton button = Qt::LeftButton) { click(centre(control), button); }
    void click(layout::Button which) { click(window.button(which)); }
    QPoint rowAt(int row) {  // where the list shows a row, in the window
        QListWidget& list = window.list();
        return list.viewport()->mapTo(&window, list.visualItemRect(list.item(row)).center());
    }
    void openSource() {  // SOURCE, answered with the songs folder
        picker.answers.push_back(songs.path().string());
        click(layout::Source);
    }
    std::string caption(const ui::Caption& c) const { return c.text().toStdString(); }
    int rowOf(const char* listed) {
        const auto found = window.list().findItems(QString::fromLatin1(listed), Qt::MatchExactly);
        return found.size() == 1 ? window.list().row(found[0]) : -1;
    }
    static QWidget* focused() { return QApplication::focusWidget(); }
    void key(int key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(focused() ? focused() : &window, Qt::Key(key), modifiers);
        QCoreApplication::processEvents();
    }

    TempDir songs, out;
    ScriptedFolderPicker picker;
    RecordingMessages messages;
    ScriptedEventPump pump;
    NoPause pause;
    PlatformServices services{picker, messages, pump, pause};
    ui::MainWindow window{services};
};

QRect rectOf(const layout::Box& box) { return QRect(box.left, box.top, box.width, box.height); }
QString name(std::string_view s) { return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())); }
QImage rgb(const QPixmap& pixmap) { return pixmap.toImage().convertToFormat(QImage::Format_RGB32); }

using WindowFace = WindowTest;
using WindowMouse = WindowTest;
using WindowCommands = WindowTest;
constexpr QPoint kBareBackground(300, 50);  // beside the brand, no control there

TEST_F(WindowFace, EveryControlSitsInItsPlaceOnAFixedFramelessWindowAndStartsEmpty) {
    EXPECT_EQ(window.size(), QSize(layout::kWindowWidth, layout::kWindowHeight));
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(window.windowTitle(), "Quorvane");
    EXPECT_EQ(window.windowIcon().pixmap(32, 32).size(), QSize(32, 32));

    std::vector<std::pair<QString, layout::Box>> places = {{"ListMIDI", layout::kSongList},
                                                           {"Segmento", layout::kCutPoint},
                                                           {"Choose", layout::kClipLength},
                                                           {"LabChoose", layout::kClipLengthCaption},
                                                           {"LabFound", layout::kListedCountCaption},
                                                           {"LabDurataTempo", layout::kCutPointTimeCaption},
                                                           {"LabNum", layout::kCutCountCaption},
                                                           {"Text9", layout::kSongPathCaption},
                                                           {"TextPath", layout::kSourceFolderCaption},
                                                           {"TextDest", layout::kDestFolderCaption},
                                                           {"LabStatus", layout::kStatusCaption}};
    for (const layout::ButtonPlace& button : layout::kButtons) places.emplace_back(name(button.control), button.box);
    for (int i = 0; i < 3; ++i) places.emplace_back(QStringLiteral("ImgLed%1").arg(i), layout::kLeds[i].box);
    for (const auto& [control, box] : places) {
        const auto* widget = window.findChild<QWidget*>(control, Qt::FindDirectChildrenOnly);
        ASSERT_NE(widget, nullptr) << control.toStdString();
        EXPECT_EQ(widget->geometry(), rectOf(box)) << control.toStdString();
        EXPECT_TRUE(widget->isVisible()) << control.toStdString();
    }

    // Buttons and LEDs have no pictures: the background shows them.
    for (int b = 0; b < layout::ButtonCount; ++b) EXPECT_TRUE(window.button(layout::Button(b)).pictureName().isEmpty());
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(window.led(i).pictureName().isEmpty());
}

TEST_F(WindowFace, CaptionsAreSmallWhiteText) {
    EXPECT_EQ(window.listedCountCaption().font().pixelSize(), 11);
    EXPECT_EQ(window.list().font(), window.listedCountCaption().font());
    window.listedCountCaption().setText(QStringLiteral("8888"));
    const QImage shot = window.grab(window.listedCountCaption().geometry()).toImage();
    int white = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) white += qGray(shot.pixel(x, y)) > 230;
    EXPECT_GT(white, 10);
}

// The controls hold no picture until the first mouse event, so the background must carry each released look
// where its control sits.
TEST(Artwork, EveryBitmapHasItsControlsSizeAndTheBackgroundShowsTheReleasedLook) {
    const QImage background = QImage(name(layout::kBackground)).convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(background.size(), QSize(layout::kWindowWidth, layout::kWindowHeight));
    const auto check = [&](const layout::Box& box, std::string_view shown, std::string_view other) {
        const QImage released = rgb(ui::loadBitmap(shown));
        EXPECT_EQ(released.size(), QSize(box.width, box.height)) << shown;
        EXPECT_EQ(background.copy(rectOf(box)), released) << shown;
        const QImage pressed = rgb(ui::loadBitmap(other));
        EXPECT_EQ(pressed.size(), released.size()) << other;
        EXPECT_NE(pressed, released) << other;
    };
    for (const layout::ButtonPlace& button : layout::kButtons) check(button.box, button.released, button.pressed);
    for (const layout::LedPlace& led : layout::kLeds) check(led.box, led.dark, led.lit);
}

TEST_F(WindowMouse, AnyButtonShowsThePressedPictureButOnlyALeftClickOnItRunsItsCommand) {
    for (int b = 0; b < layout::ButtonCount; ++b) {
        const layout::ButtonPlace& place = layout::kButtons[b];
        ui::PictureButton& button = window.button(layout::Button(b));
        for (Qt::MouseButton mouse : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
            press(centre(button), mouse);
            EXPECT_EQ(button.pictureName().toStdString(), place.pressed);
            EXPECT_EQ(button.picture().size(), button.size());
            release(kBareBackground, mouse);  // away from the button, so that no command runs
            EXPECT_EQ(button.pictureName().toStdString(), place.released);
        }
    }
    click(window.button(layout::Source), Qt::RightButton);
    click(window.button(layout::Exit), Qt::MiddleButton);
    // Pressed on SOURCE, released over DEST: neither runs.
    press(centre(window.button(layout::Source)));
    moveTo(centre(window.button(layout::Dest)));
    release(centre(window.button(layout::Dest)));
    EXPECT_TRUE(picker.requests.empty());
    EXPECT_TRUE(window.isVisible() && !window.isMinimized());
    // The other commands are clicked in the command tests.
    click(layout::Minimise);
    EXPECT_TRUE(window.isMinimized());
}

TEST_F(WindowMouse, TheLedsFollowTheMainButtonsAndStayLitOverOtherControls) {
    using Lit = std::vector<bool>;
    const auto litNow = [&] { return Lit{window.led(0).isLit(), window.led(1).isLit(), window.led(2).isLit()}; };
    const auto at = [&](layout::Button button) { return centre(window.button(button)); };
    // Other controls leave the last one lit; the bare background puts them all out.
    for (const auto& [point, lit] : {std::pair{at(layout::Source), Lit{true, false, false}},
                                     {at(layout::CutAll), Lit{false, false, true}},
                                     {at(layout::Dest), Lit{false, true, false}},
                                     {at(layout::Exit), Lit{false, true, false}},
                                     {centre(window.cutSlider()), Lit{false, true, false}},
                                     {centre(window.led(0)), Lit{false, true, false}},
                                     {kBareBackground, Lit{false, false, false}}}) {
        moveTo(point);
        EXPECT_EQ(litNow(), lit) << point.x() << "," << point.y();
        EXPECT_EQ(window.led(1).pictureName() == "LEDON2", lit[1]);
    }
}

TEST_F(WindowMouse, OnlyALeftDragOnTheBackgroundMovesTheWindow) {
    window.move(100, 80);
    const QPoint start = window.pos();
    // Not with another button, nor from a control.
    for (const auto& [from, button] :
         {std::pair{kBareBackground, Qt::RightButton}, {centre(window.listedCountCaption()), Qt::LeftButton}}) {
        press(from, button);
        moveTo(from + QPoint(30, 30));
        release(from + QPoint(30, 30), button);
        EXPECT_EQ(window.pos(), start);
    }
    // The platform moves the window itself where it can; here it follows the pointer.
    press(kBareBackground);
    moveTo(kBareBackground + QPoint(40, 25));
    EXPECT_EQ(window.pos(), start + QPoint(40, 25));
    release(kBareBackground);
    moveTo(kBareBackground + QPoint(10, 10));
    EXPECT_EQ(window.pos(), start + QPoint(40, 25));
}

// While the batch handles events, the window shows the file in hand and a click on the list changes nothing.
// Escape stops the batch between two files; closing the window waits for it to stop.
TEST_F(WindowCommands, CutAllShowsTheFileInHandFreezesTheListAndStopsOnEscapeOrExit) {
    openSource();
    EXPECT_EQ(caption(window.listedCountCaption()), "2");
    picker.answers.push_back(out.path().string());
    click(layout::Dest);
    window.clipSlider().setValue(2);
    std::vector<std::string> shown;
    std::vector<bool> enabled;  // the buttons that wait look it; minimise and exit do not wait
    pump.onPump = [&] {
        shown.push_back(caption(window.songPathCaption()) + " " + caption(window.cutPointTimeCaption()) + " row " +
                        std::to_string(window.list().currentRow()) + ", " + caption(window.statusCaption()));
        EXPECT_TRUE(window.batchProgress().isVisible());
        enabled = {window.cutSlider().acceptsInput(), window.clipSlider().acceptsInput()};
        for (int b = 0; b < layout::ButtonCount; ++b) enabled.push_back(window.button(layout::Button(b)).isEnabled());
        click(rowAt(0));
        key(Qt::Key_O, Qt::ControlModifier);  // SOURCE waits too
    };
    click(layout::CutAll);
    QCoreApplication::processEvents();  // whatever the batch left queued
    EXPECT_TRUE(messages.messages.empty()) << messages.messages.front();
    EXPECT_EQ(shown, (std::vector<std::string>{(songs.path() / "A.MID").string() + " 00:02 row 0, 1 of 2",
                                               (songs.path() / "B.MID").string() + " 00:02 row 1, 2 of 2"}));
    // The last file stays current, shown at its cut time (marking its row does not select it again); FILE shows
    // the song, not its cut.
    EXPECT_EQ(window.list().currentRow(), 1);
    EXPECT_EQ(std::make_tuple(caption(window.cutPointTimeCaption()), caption(window.cutCountCaption()),
                              caption(window.songPathCaption())),
              std::make_tuple("00:02"s, "Done!"s, (songs.path() / "B.MID").string()));
    EXPECT_FALSE(window.batchProgress().isVisible());
    // The sliders; SOURCE, DEST, CUT ALL, CUT ONE, minimise, exit, play.
    EXPECT_EQ(enabled, (std::vector<bool>{false, false, false, false, false, false, true, true, false}));
    EXPECT_TRUE(window.button(layout::CutAll).isEnabled() && window.cutSlider().acceptsInput());
    EXPECT_EQ(picker.requests.size(), 2u);  // SOURCE and DEST before the batch

    window.list().setFocus();
    pump.onPump = [&] { QTest::keyClick(&window.list(), Qt::Key_Escape); };  // whichever control has the focus
    key(Qt::Key_Return, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(caption(window.statusCaption()), "Stopped after 1 of 2 files; see Quorvane.log.");
    EXPECT_TRUE(window.isVisible());

    bool shownUntilTheBatchStops = false;
    pump.pumps = 0;
    pump.onPump = [&] {
        if (pump.pumps < 2) return;  // while B.MID is in hand
        pump.onPump = nullptr;
        click(layout::Exit);
        shownUntilTheBatchStops = window.isVisible();
    };
    click(layout::CutAll);
    EXPECT_TRUE(shownUntilTheBatchStops);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(fileText(songs.file("Quorvane.log")), "1. A.MID: 00:20\tA-cut.mid:00:02 - Format: 0\r\n");
}

// Only the user's own act chooses a song: a click, again on the chosen row too. Focus changes choose nothing, so a
// broken file is reported once. (A message box closing and a key moving on are the end-to-end scenario's.)
TEST_F(WindowCommands, OnlyTheUserChoosesASongSoABrokenOneIsReportedOnce) {
    songs.write("0.MID", cat({header(0, 1, 96), track({0x00, 0x40})}));
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

    click(rowAt(rowOf("0.MID")));
    focusAndWait();
    EXPECT_EQ(messages.messages.size(), 1u);
    EXPECT_TRUE(window.list().selectedItems().isEmpty());  // nothing stays selected

    // A click on the chosen song reads it again; a key moves on.
    click(rowAt(rowOf("A.MID")));
    songs.write("A.MID", steadySong(0, 500000, 16));
    click(rowAt(rowOf("A.MID")));
    EXPECT_EQ(caption(window.cutPointTimeCaption()), "00:08");
}

TEST_F(WindowCommands, EveryCommandIsReachedFromTheKeyboard) {
    // Tab goes down the left column, then the right, then the title's buttons.
    window.button(layout::Source).setFocus(Qt::TabFocusReason);
    for (QWidget* next : std::initializer_list<QWidget*>{
             &window.button(layout::Dest), &window.button(layout::CutAll), &window.clipSlider(), &window.list(),
             &window.cutSlider(), &window.button(layout::Play), &window.button(layout::CutOne),
             &window.button(layout::Minimise), &window.button(layout::Exit), &window.button(layout::Source)}) {
        key(Qt::Key_Tab);
        EXPECT_EQ(focused(), next) << next->objectName().toStdString();
        EXPECT_EQ(window.keys().focusRing().target(), next);
    }

    // Space on SOURCE shows it pressed while held, and opens the folder picker.
    picker.answers.push_back(songs.path().string());
    QTest::keyPress(focused(), Qt::Key_Space);
    EXPECT_EQ(window.button(layout::Source).pictureName(), "SOURCEDW");
    QTest::keyRelease(focused(), Qt::Key_Space);
    QCoreApplication::processEvents();
    ASSERT_EQ(window.list().count(), 2);
    window.chooseRow(1);

    // The cut point's keys move it by one, by a tenth, and to its ends; the time follows, and the tip shows
    // while a key is held.
    window.cutSlider().setFocus(Qt::TabFocusReason);
    for (const auto& [key, value] :
         {std::pair{Qt::Key_Home, 0}, {Qt::Key_Right, 1}, {Qt::Key_PageUp, 5}, {Qt::Key_Down, 4}, {Qt::Key_End, 47}}) {
        QTest::keyPress(focused(), key);
        ASSERT_NE(ValueTip::current(), nullptr);
        EXPECT_EQ(ValueTip::current()->label->text().toStdString(), window.model().timeAtPosition(value));
        QTest::keyRelease(focused(), key);
        EXPECT_EQ(ValueTip::current(), nullptr);
        EXPECT_EQ(window.cutSlider().value(), value);
        EXPECT_EQ(caption(window.cutPointTimeCaption()), value == 0 ? "00:00" : window.model().timeAtPosition(value));
    }

    // The shortcuts.
    key(Qt::Key_Home);
    key(Qt::Key_PageUp);
    key(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(caption(window.statusCaption()), "Written: b-cut.mid");
    picker.answers.push_back(out.path().string());
    key(Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(caption(window.destFolderCaption()), out.path().string());
    key(Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(picker.requests.size(), 3u);
    songs.write("C.MID", steadySong(0, 500000, 8));
    key(Qt::Key_F5);  // the folder listed again
    EXPECT_EQ(window.list().count(), 3);
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

TEST_F(WindowCommands, AFolderOrOneMidiFileMayBeDropped) {
    songs.write("notes.txt", Bytes{'x'});
    for (const auto& [path, taken, row] : {std::tuple{songs.path().string(), true, -1},
                                           {songs.file("B.MID"), true, 1},
                                           {songs.file("notes.txt"), false, -1}}) {
        ui::MainWindow fresh{services};
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
        QDragEnterEvent enter(QPoint(300, 200), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(&fresh, &enter);
        EXPECT_EQ(enter.isAccepted(), taken) << path;
        QDropEvent dropped(QPointF(300, 200), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(&fresh, &dropped);
        QCoreApplication::processEvents();
        EXPECT_EQ(std::make_tuple(fresh.list().count(), fresh.list().currentRow()), std::make_tuple(taken ? 2 : 0, row))
            << path;
        EXPECT_EQ(caption(fresh.songPathCaption()), row >= 0 ? path : "") << path;
    }
}

TEST_F(WindowCommands, FoldersClipLengthAndPlaceAreRemembered) {
    QSettings store(QString::fromStdString(out.file("settings.ini")), QSettings::IniFormat);
    ui::WindowSettings settings(store);
    const TempDir dest;
    openSource();
    picker.answers.push_back(dest.path().string());
    click(layout::Dest);
    window.clipSlider().setValue(12);
    window.move(40, 30);
    settings.save(window);

    store.setValue(QStringLiteral("preview/soundfont"), QStringLiteral("/sf/piano.sf2"));  // set by hand
    ui::MainWindow next{services};
    settings.restore(next);
    EXPECT_EQ((std::vector<std::string>{caption(next.sourceFolderCaption()), caption(next.destFolderCaption()),
                                        caption(next.clipLengthCaption()), std::to_string(next.pos().x()),
                                        next.cutPointPreview().soundFont()}),
              (std::vector<std::string>{songs.path().string(), dest.path().string(), "12", "40", "/sf/piano.sf2"}));
}

// Each news is read whole in the status line; one too long for it is shortened by the shared rule
// (caption_fit_tests.cpp) in the caption's font, inside the names the model gives, and the tooltip holds the whole
// line. The other captions keep their descriptions as tooltips.
TEST_F(WindowFace, TheStatusLineIsReadWholeAndOnlyNamesAreShortened) {
    const auto whole = [&] {
        const ui::Caption& status = window.statusCaption();
        return status.shownText() == status.text() &&
               status.fontMetrics().horizontalAdvance(status.text()) <= status.width();
    };
    EXPECT_TRUE(whole());
    EXPECT_EQ(window.clipLengthCaption().toolTip(), "The clip length CUT ALL keeps, in seconds.");

    const std::string name(120, 'L');
    songs.write(name + ".MID", steadySong(0, 500000, 40));
    openSource();
    window.chooseRow(rowOf((name + ".MID").c_str()));
    window.cutSlider().setValue(5);
    click(layout::CutOne);
    const ui::Caption& status = window.statusCaption();
    const QString shown = status.shownText();
    EXPECT_EQ(caption(status), "Written: " + std::string(120, 'l') + "-cut.mid");
    EXPECT_TRUE(shown.startsWith(QStringLiteral("Written: ll")) && shown.endsWith(QStringLiteral("ll-cut.mid")) &&
                shown.contains(QChar(0x2026)))
        << shown.toStdString();
    EXPECT_LE(status.fontMetrics().horizontalAdvance(shown), status.width());
    EXPECT_EQ(status.toolTip(), status.text());
    // The widest news with no name to shorten.
    for (const char* news :
         {"CANNOT READ MIDI FILE: format 2 is not supported", "Nothing cut: choose a song in the list first.",
          "Stopped after 1000 of 1000 files; see Quorvane.log.", "Stopped: Operation not permitted; see the log.",
          "Cut 1000 of 1000 files; see Quorvane.log."}) {
        window.model().status = news;
        window.refresh();
        EXPECT_TRUE(whole()) << news << ": " << status.fontMetrics().horizontalAdvance(status.text()) << " of "
                             << status.width();
        EXPECT_EQ(status.toolTip().toStdString().rfind("What the last command wrote", 0), 0u);
    }
}

// Where the folder dialog opens: the folder, or the nearest one above it still there; else the home folder.
TEST(FolderDialog, StartsInAFolderThatExists) {
    const TempDir dir;
    const auto start = [](const std::filesystem::path& path) { return ui::dialogStartFolder(path.string()); };
    const QString native = QDir::toNativeSeparators(QString::fromStdString(dir.path().string()));
    EXPECT_EQ(start(dir.path()), native);
    EXPECT_EQ(start(dir.path() / "gone" / "deeper"), native);
    EXPECT_EQ(ui::dialogStartFolder(""), QDir::homePath());
}

// At the first start the keyboard begins on SOURCE, its ring on show. The wheel moves both sliders a step a notch.
TEST_F(WindowCommands, TheFirstStartPointsAtSourceAndTheWheelMovesTheSliders) {
    EXPECT_EQ(focused(), &window.button(layout::Source));
    EXPECT_EQ(window.keys().focusRing().target(), &window.button(layout::Source));

    openSource();
    click(rowAt(0));  // A.MID: 00:20, 31 steps
    const auto turn = [&](QWidget& slider, int angle) {
        QWheelEvent wheel(QPointF(5, 5), slider.mapToGlobal(QPointF(5, 5)), {}, QPoint(0, angle), Qt::NoButton, {},
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(&slider, &wheel);
    };
    turn(window.cutSlider(), -120);
    turn(window.cutSlider(), -240);
    EXPECT_EQ(window.cutSlider().value(), 28);
    EXPECT_EQ(caption(window.cutPointTimeCaption()), window.model().timeAtPosition(28));
    turn(window.cutSlider(), 60);  // half a notch: nothing yet
    EXPECT_EQ(window.cutSlider().value(), 28);
    turn(window.cutSlider(), 60);
    EXPECT_EQ(window.cutSlider().value(), 29);
    turn(window.clipSlider(), 120);
    EXPECT_EQ(caption(window.clipLengthCaption()), "31");
}

#ifdef QUORVANE_WITH_PREVIEW
// The play button and Space start and stop the preview of the cut point; the frames go to FluidSynth's file
// driver instead of a device.
TEST_F(WindowCommands, PlayAndSpaceStartAndStopThePreviewOfTheCutPoint) {
    ui::CutPointPreview& preview = window.cutPointPreview();
    preview.useDriver("file", out.file("played.wav"));
    const auto status = [&](bool byButton) {
        byButton ? click(layout::Play) : QTest::keyClick(handle(), Qt::Key_Space);
        QCoreApplication::processEvents();
        return caption(window.statusCaption());
    };
    openSource();
    click(rowAt(0));
    window.cutSlider().setValue(20);
    for (const bool byButton : {true, false}) {
        EXPECT_EQ(status(byButton), "Playing the last 5 s before the cut.");
        EXPECT_TRUE(QTest::qWaitFor([&] { return preview.framesPlayed() > 4410 && preview.voicesHeard() > 0; }, 5000));
        EXPECT_EQ(status(!byButton), "Preview stopped.");
        const std::uint64_t played = preview.framesPlayed();
        QTest::qWait(50);
        EXPECT_EQ(preview.framesPlayed(), played);
    }
    // Played to its end, it says so.
    window.cutSlider().setValue(1);  // the first position: a clip of under a second
    EXPECT_EQ(status(true), "Playing the last 5 s before the cut.");
    EXPECT_TRUE(QTest::qWaitFor([&] { return caption(window.statusCaption()) == "Preview ended."; }, 10000));
    // The frames the driver wrote are sound, not silence.
    const Bytes wav = readBytes(out.file("played.wav"));
    int loudest = 0;
    for (std::size_t k = std::string(wav.begin(), wav.end()).find("data") + 8; k + 1 < wav.size(); k += 2) {
        loudest = std::max(loudest, std::abs(static_cast<std::int16_t>(wav[k] | wav[k + 1] << 8)));
    }
    EXPECT_GT(loudest, 300);  // above -40 dBFS
}
#endif

// A song chosen in the window is measured on a worker thread; what the window makes of a measure that ends later
// is the model's (window_model_tests.cpp). Here: the window's own thread pool delivers the result to the window, a
// broken song's row is unmarked, and a window gone meanwhile hears nothing.

// The window's own background work, its jobs held until the test lets them go.
struct HeldWork : Executor {
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
    ui::ThreadPoolExecutor inner;
};

TEST_F(WindowTest, ASongMeasuredOnAWorkerIsShownByTheWindowThatChoseIt) {
    const TempDir chosen;                               // the fixture's songs are not these
    chosen.write("A.mid", steadySong(1, 500000, 504));  // 04:12
    HeldWork work;
    const auto letGo = [&](ui::MainWindow& win) {
        *work.held = false;
        EXPECT_TRUE(QTest::qWaitFor([&] { return !win.model().measuring(); }));
        QTest::qWait(50);  // a result dropped would have arrived by now
        *work.held = true;
    };
    auto win = std::make_unique<ui::MainWindow>(PlatformServices{picker, messages, pump, pause, &work});
    win->model().useSourceFolder(chosen.path().string());
    win->refresh();
    win->chooseRow(0);
    EXPECT_EQ(caption(win->statusCaption()), "Measuring A.MID...");
    letGo(*win);
    EXPECT_EQ(caption(win->cutPointTimeCaption()), "04:12");
    EXPECT_EQ(caption(win->statusCaption()), "Ready to cut: A.MID");

    win->chooseRow(0);
    EXPECT_TRUE(win->model().measuring());
    win.reset();
    *work.held = false;
    QTest::qWait(100);
    EXPECT_TRUE(messages.messages.empty());
}

}  // namespace
}  // namespace quorvane::test
