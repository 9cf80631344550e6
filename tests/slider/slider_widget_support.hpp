#pragma once

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QTest>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

#include "slider/qt_picture.hpp"
#include "slider/tarn_slider_widget.hpp"
#include "slider/value_tip.hpp"

namespace quorvane::testing {

inline const QColor kThumbColour(200, 30, 30);
inline const QColor kRailColour(30, 30, 200);
inline const QColor kChooseThumbColour(30, 200, 30);
inline const QColor kChooseRailColour(220, 220, 0);

inline QPixmap Solid(int width, int height, const QColor& colour) {
    QPixmap pixmap(width, height);
    pixmap.fill(colour);
    return pixmap;
}

// The colour of one pixel, without alpha.
inline QRgb Rgb(const QImage& image, int x, int y) { return image.pixel(x, y) | 0xFF000000u; }

// A host window holding the main window's two sliders at their places, each
// event written to one log with the value it saw.
class SliderHost {
public:
    SliderHost() : window(std::make_unique<QWidget>()) {
        window->setGeometry(100, 100, 300, 200);
        segmento = new TarnSliderWidget(window.get());
        segmento->setGeometry(40, 60, 300, 40);  // the slider sizes itself
        segmento->SetBackColor(0x555555);
        segmento->SetOrientation(TarnSlider::kHorizontal);
        segmento->SetRailStyle(99);
        segmento->SetSliderIcon(pictureFromPixmap(Solid(12, 21, kThumbColour)));
        segmento->SetRailPicture(pictureFromPixmap(Solid(124, 13, kRailColour)));
        segmento->SetMax(252);

        choose = new TarnSliderWidget(window.get());
        choose->move(200, 40);
        choose->SetBackColor(0x676767);
        choose->SetRailStyle(99);
        choose->SetSliderIcon(pictureFromPixmap(Solid(20, 10, kChooseThumbColour)));
        choose->SetRailPicture(pictureFromPixmap(Solid(9, 74, kChooseRailColour)));
        choose->SetMax(59);
        choose->SetValue(30);

        Record(*segmento);
        Record(*choose);
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    ~SliderHost() { frmValueTip::Unload(); }

    void Record(TarnSliderWidget& slider) {
        const auto note = [this, &slider](const char* name) {
            return [this, &slider, name] {
                std::string entry(name);
                log.push_back(entry.append("(").append(std::to_string(slider.Value())).append(")"));
            };
        };
        const auto noteShift = [this](const char* name) {
            return [this, name](std::int16_t& shift) {
                std::string entry(name);
                log.push_back(entry.append(" ").append(std::to_string(shift)));
            };
        };
        slider.Events() = {note("Click"), note("ArrivedFirst"), note("ArrivedLast"),
                           note("ValueChanged"), noteShift("MouseDown"), noteShift("MouseUp")};
    }

    std::unique_ptr<QWidget> window;
    TarnSliderWidget* segmento = nullptr;
    TarnSliderWidget* choose = nullptr;
    std::vector<std::string> log;
};

using Log = std::vector<std::string>;

}  // namespace quorvane::testing
