// The window's face: size, frame, every control's place, the artwork's
// pictures and the sliders' stored design.

#include <QFontInfo>
#include <QImage>

#include "slider/qt_picture.hpp"
#include "window_fixture.hpp"

namespace quorvane::test {
namespace {

namespace layout = ui::layout;

QRect rectOf(const layout::Box& box) { return QRect(box.left, box.top, box.width, box.height); }
QString name(std::string_view s) { return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())); }

using WindowFace = WindowTest;

TEST_F(WindowFace, IsAFramelessFixedWindowWithItsTitleAndIcon) {
    EXPECT_EQ(window.size(), QSize(566, 400));
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(window.windowTitle(), "Quorvane");
    EXPECT_FALSE(window.windowIcon().isNull());
    EXPECT_EQ(window.windowIcon().pixmap(32, 32).size(), QSize(32, 32));
}

TEST_F(WindowFace, EveryControlIsInItsPlace) {
    const std::pair<const char*, QRect> places[] = {
        {"Image1", {55, 22, 110, 45}},   {"Image2", {55, 67, 110, 45}},   {"Image3", {55, 112, 110, 45}},
        {"Image4", {427, 282, 110, 45}}, {"Image5", {526, 4, 14, 18}},    {"Image6", {545, 4, 14, 18}},
        {"ImgLed0", {8, 21, 48, 47}},    {"ImgLed1", {10, 67, 46, 45}},   {"ImgLed2", {10, 113, 46, 45}},
        {"ListMIDI", {192, 94, 329, 171}}, {"Segmento", {288, 284, 124, 21}}, {"Choose", {34, 176, 20, 74}},
        {"LabChoose", {77, 237, 19, 17}}, {"LabFound", {116, 305, 35, 17}}, {"LabDurataTempo", {76, 322, 105, 15}},
        {"LabNum", {113, 339, 57, 15}},   {"Text9", {158, 340, 391, 13}},  {"TextPath", {8, 360, 551, 19}},
        {"TextDest", {6, 376, 311, 19}},
    };
    for (const auto& [control, place] : places) {
        const auto* widget = window.findChild<QWidget*>(QString::fromLatin1(control), Qt::FindDirectChildrenOnly);
        ASSERT_NE(widget, nullptr) << control;
        EXPECT_EQ(widget->geometry(), place) << control;
        EXPECT_TRUE(widget->isVisible()) << control;
    }
    // Pressing a button does not move or resize it.
    press(centre(window.button(layout::kCutOne)));
    release(centre(window.button(layout::kCutOne)));
    EXPECT_EQ(window.button(layout::kCutOne).geometry(), QRect(427, 282, 110, 45));
}

TEST_F(WindowFace, StartsWithEmptyCaptionsButTheClipLength) {
    EXPECT_EQ(caption(window.labChoose()), "30");
    for (ui::Caption* c : {&window.textPath(), &window.textDest(), &window.text9(), &window.labFound(),
                           &window.labNum(), &window.labDurataTempo()}) {
        EXPECT_EQ(caption(*c), "") << c->objectName().toStdString();
    }
    EXPECT_EQ(window.list().count(), 0);
    // Buttons and LEDs hold no picture: the background shows them.
    for (int b = 0; b < layout::kButtonCount; ++b) {
        EXPECT_TRUE(window.button(static_cast<layout::Button>(b)).pictureName().isEmpty());
    }
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(window.led(i).pictureName().isEmpty());
}

TEST_F(WindowFace, CaptionsAreSmallWhiteSansSerif) {
    const QFont font = window.labFound().font();
    EXPECT_EQ(font.pixelSize(), 11);
    EXPECT_EQ(font.weight(), QFont::Normal);
    EXPECT_EQ(window.list().font(), font);
    const QFontInfo used(font);
    EXPECT_FALSE(used.fixedPitch()) << used.family().toStdString();
    // The text is drawn in white (near white at its anti-aliased edges).
    window.labFound().setText(QStringLiteral("8888"));
    const QImage shot = window.grab(window.labFound().geometry()).toImage();
    int white = 0;
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) {
            const QColor c = shot.pixelColor(x, y);
            white += c.red() > 230 && c.green() > 230 && c.blue() > 230;
        }
    }
    EXPECT_GT(white, 10);
}

TEST_F(WindowFace, LongPathsAreShortenedInTheMiddleAndShownWhole) {
    const QString path = QStringLiteral("/home/someone/") + QString(120, QLatin1Char('x')) + QStringLiteral("/song.mid");
    window.text9().setText(path);
    const QString shown = window.text9().shownText();
    EXPECT_LT(window.text9().fontMetrics().horizontalAdvance(shown), window.text9().width());
    EXPECT_TRUE(shown.startsWith(QStringLiteral("/home/")));
    EXPECT_TRUE(shown.endsWith(QStringLiteral("song.mid")));
    EXPECT_EQ(window.text9().text(), path);
    EXPECT_EQ(window.text9().toolTip(), path);
}

TEST(Artwork, EveryBitmapLoadsByItsNameAtItsSize) {
    for (const layout::ButtonPlace& button : layout::kButtons) {
        for (std::string_view bitmap : {button.released, button.pressed}) {
            const QImage image = ui::loadBitmap(bitmap).toImage();
            EXPECT_EQ(image.size(), QSize(button.box.width, button.box.height)) << bitmap;
        }
    }
    for (const layout::LedPlace& led : layout::kLeds) {
        for (std::string_view bitmap : {led.lit, led.dark}) {
            EXPECT_EQ(ui::loadBitmap(bitmap).size(), QSize(led.box.width, led.box.height)) << bitmap;
        }
    }
    // The pressed look differs from the released one, the lit from the dark.
    EXPECT_NE(ui::loadBitmap("SOURCE").toImage(), ui::loadBitmap("SOURCEDW").toImage());
    EXPECT_NE(ui::loadBitmap("LEDON2").toImage(), ui::loadBitmap("LEDOFF2").toImage());
    EXPECT_EQ(QImage(name(layout::kBackground)).size(), QSize(566, 400));
    EXPECT_EQ(QImage(name(layout::kIcon)).size(), QSize(32, 32));
}

TEST(Artwork, TheBackgroundShowsEachButtonsReleasedLook) {
    // The controls hold no picture until the first mouse event, so the
    // background must carry each button's released picture where it sits.
    const QImage background = QImage(name(layout::kBackground)).convertToFormat(QImage::Format_RGB32);
    for (const layout::ButtonPlace& button : layout::kButtons) {
        const QImage released = ui::loadBitmap(button.released).toImage().convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(background.copy(rectOf(button.box)), released) << button.released;
    }
    for (const layout::LedPlace& led : layout::kLeds) {
        const QImage dark = ui::loadBitmap(led.dark).toImage().convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(background.copy(rectOf(led.box)), dark) << led.dark;
    }
}

TEST_F(WindowFace, TheSlidersLoadTheirStoredDesign) {
    TarnSliderWidget& segmento = window.segmento();
    EXPECT_EQ(segmento.Orientation(), TarnSlider::kHorizontal);
    EXPECT_EQ(segmento.RailStyle(), 99);
    EXPECT_EQ(segmento.BackColor(), 0x555555u);
    EXPECT_EQ(segmento.Min(), 0);
    EXPECT_EQ(segmento.Max(), 100);
    EXPECT_EQ(segmento.Value(), 0);
    EXPECT_TRUE(segmento.Enabled());
    EXPECT_TRUE(segmento.ShowValueTip());
    EXPECT_EQ(pixmapOf(segmento.SliderIcon())->size(), QSize(12, 21));
    EXPECT_EQ(pixmapOf(segmento.RailPicture())->size(), QSize(124, 13));

    TarnSliderWidget& choose = window.choose();
    EXPECT_EQ(choose.Orientation(), TarnSlider::kVertical);
    EXPECT_EQ(choose.RailStyle(), 99);
    EXPECT_EQ(choose.BackColor(), 0x676767u);
    EXPECT_EQ(choose.Min(), 0);
    EXPECT_EQ(choose.Max(), 59);
    EXPECT_EQ(choose.Value(), 30);
    EXPECT_EQ(pixmapOf(choose.SliderIcon())->size(), QSize(20, 10));
    EXPECT_EQ(pixmapOf(choose.RailPicture())->size(), QSize(9, 74));
    // The thumb stands for 30 of 59 on a 64-pixel track.
    EXPECT_NEAR(choose.ThumbTop(), 64 - 64 * 30 / 59.0, 0.01);
}

}  // namespace
}  // namespace quorvane::test
