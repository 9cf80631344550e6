// The window's face (frame, every control's place, the artwork) and the window under the mouse: picture buttons,
// clicks, LEDs, dragging, minimise and exit.

#include <QImage>

#include "window_fixture.hpp"

namespace quorvane::test {
namespace {

namespace layout = ui::layout;

QRect rectOf(const layout::Box& box) { return QRect(box.left, box.top, box.width, box.height); }
QString name(std::string_view s) { return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())); }
QImage rgb(const QPixmap& pixmap) { return pixmap.toImage().convertToFormat(QImage::Format_RGB32); }

using WindowFace = WindowTest;
using WindowMouse = WindowTest;
constexpr QPoint kBareBackground(300, 50);  // beside the brand, no control there

TEST_F(WindowFace, EveryControlSitsInItsPlaceOnAFixedFramelessWindowAndStartsEmpty) {
    EXPECT_EQ(window.size(), QSize(layout::kWindowWidth, layout::kWindowHeight));
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(window.windowTitle(), "Quorvane");
    EXPECT_EQ(window.windowIcon().pixmap(32, 32).size(), QSize(32, 32));

    std::vector<std::pair<QString, layout::Box>> places = {
        {"ListMIDI", layout::kListMIDI},  {"Segmento", layout::kSegmento},
        {"Choose", layout::kChoose},      {"LabChoose", layout::kLabChoose},
        {"LabFound", layout::kLabFound},  {"LabDurataTempo", layout::kLabDurataTempo},
        {"LabNum", layout::kLabNum},      {"Text9", layout::kText9},
        {"TextPath", layout::kTextPath},  {"TextDest", layout::kTextDest},
        {"LabStatus", layout::kLabStatus}};
    for (const layout::ButtonPlace& button : layout::kButtons) places.emplace_back(name(button.control), button.box);
    for (int i = 0; i < 3; ++i) places.emplace_back(QStringLiteral("ImgLed%1").arg(i), layout::kLeds[i].box);
    for (const auto& [control, box] : places) {
        const auto* widget = window.findChild<QWidget*>(control, Qt::FindDirectChildrenOnly);
        ASSERT_NE(widget, nullptr) << control.toStdString();
        EXPECT_EQ(widget->geometry(), rectOf(box)) << control.toStdString();
        EXPECT_TRUE(widget->isVisible()) << control.toStdString();
    }

    // Empty captions but the clip length, an empty list, and no pictures on buttons and LEDs: the background
    // shows them.
    EXPECT_EQ(caption(window.labChoose()), "30");
    for (ui::Caption* c : {&window.textPath(), &window.textDest(), &window.text9(), &window.labFound(),
                           &window.labNum(), &window.labDurataTempo()}) {
        EXPECT_EQ(caption(*c), "") << c->objectName().toStdString();
    }
    EXPECT_EQ(window.list().count(), 0);
    for (int b = 0; b < layout::kButtonCount; ++b)
        EXPECT_TRUE(window.button(layout::Button(b)).pictureName().isEmpty());
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(window.led(i).pictureName().isEmpty());
}

TEST_F(WindowFace, CaptionsAreSmallWhiteTextAndLongPathsAreShortenedInTheMiddle) {
    EXPECT_EQ(window.labFound().font().pixelSize(), 11);
    EXPECT_EQ(window.list().font(), window.labFound().font());
    window.labFound().setText(QStringLiteral("8888"));
    const QImage shot = window.grab(window.labFound().geometry()).toImage();
    int white = 0;
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) white += qGray(shot.pixel(x, y)) > 230;
    }
    EXPECT_GT(white, 10);

    const QString path =
        QStringLiteral("/home/someone/") + QString(120, QLatin1Char('x')) + QStringLiteral("/song.mid");
    window.text9().setText(path);
    const QString shown = window.text9().shownText();
    EXPECT_LT(window.text9().fontMetrics().horizontalAdvance(shown), window.text9().width());
    EXPECT_TRUE(shown.startsWith(QStringLiteral("/home/")) && shown.endsWith(QStringLiteral("song.mid")));
    EXPECT_EQ(window.text9().text(), path);
    EXPECT_EQ(window.text9().toolTip(), path);
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
    for (int b = 0; b < layout::kButtonCount; ++b) {
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
    click(window.button(layout::kSource), Qt::RightButton);
    click(window.button(layout::kExit), Qt::MiddleButton);
    // Pressed on SOURCE, released over DEST: neither runs.
    press(centre(window.button(layout::kSource)));
    moveTo(centre(window.button(layout::kDest)));
    release(centre(window.button(layout::kDest)));
    EXPECT_TRUE(picker.requests.empty());
    EXPECT_TRUE(window.isVisible() && !window.isMinimized());
    // The other commands are clicked in the command tests.
    click(layout::kMinimise);
    EXPECT_TRUE(window.isMinimized());
}

TEST_F(WindowMouse, TheLedsFollowTheMainButtonsAndStayLitOverOtherControls) {
    using Lit = std::vector<bool>;
    const auto litNow = [&] { return Lit{window.led(0).isLit(), window.led(1).isLit(), window.led(2).isLit()}; };
    for (const auto& [button, lit] : {std::pair{layout::kSource, Lit{true, false, false}},
                                      {layout::kCutAll, Lit{false, false, true}},
                                      {layout::kDest, Lit{false, true, false}}}) {
        moveTo(centre(window.button(button)));
        EXPECT_EQ(litNow(), lit) << button;
    }
    EXPECT_EQ(window.led(1).pictureName(), "LEDON2");
    for (const QPoint& at : {centre(window.button(layout::kExit)), centre(window.segmento()), centre(window.led(0))}) {
        moveTo(at);
        EXPECT_EQ(litNow(), (Lit{false, true, false})) << at.x() << "," << at.y();
    }
    moveTo(kBareBackground);  // the bare background puts them all out
    EXPECT_EQ(litNow(), (Lit{false, false, false}));
}

TEST_F(WindowMouse, OnlyALeftDragOnTheBackgroundMovesTheWindow) {
    window.move(100, 80);
    const QPoint start = window.pos();
    // Not with another button, nor from a control.
    for (const auto& [from, button] :
         {std::pair{kBareBackground, Qt::RightButton}, {centre(window.labFound()), Qt::LeftButton}}) {
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

}  // namespace
}  // namespace quorvane::test
