// The window's face: frame, every control's place and the artwork.

#include <QImage>

#include "window_fixture.hpp"

namespace quorvane::test {
namespace {

namespace layout = ui::layout;

QRect rectOf(const layout::Box& box) { return QRect(box.left, box.top, box.width, box.height); }
QString name(std::string_view s) { return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())); }
QImage rgb(const QPixmap& pixmap) { return pixmap.toImage().convertToFormat(QImage::Format_RGB32); }

using WindowFace = WindowTest;

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

    // Empty captions but the clip length, an empty list, and no pictures on
    // buttons and LEDs: the background shows them.
    EXPECT_EQ(caption(window.labChoose()), "30");
    for (ui::Caption* c : {&window.textPath(), &window.textDest(), &window.text9(), &window.labFound(),
                           &window.labNum(), &window.labDurataTempo()}) {
        EXPECT_EQ(caption(*c), "") << c->objectName().toStdString();
    }
    EXPECT_EQ(window.list().count(), 0);
    for (int b = 0; b < layout::kButtonCount; ++b) {
        EXPECT_TRUE(window.button(static_cast<layout::Button>(b)).pictureName().isEmpty());
    }
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

// The controls hold no picture until the first mouse event, so the
// background must carry each released look where its control sits.
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

}  // namespace
}  // namespace quorvane::test
