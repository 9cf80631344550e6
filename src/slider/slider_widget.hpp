#pragma once

// SliderModel as a Qt widget: it sizes itself, paints its rail and thumb into
// a backing pixmap, follows the mouse and shows the shared value tip.
//
// The widget lays itself out on every resize event. Qt holds back the resize
// events of a hidden widget until it is shown, so a hidden slider that its
// host resizes takes its own size when it appears; LoadDesign and
// SetOrientation lay it out at once, shown or not.

#include <QPixmap>
#include <QWidget>

#include <cstdint>

#include "slider/slider_geometry.hpp"
#include "slider/slider_model.hpp"

namespace quorvane {

class SliderWidget : public QWidget, public SliderModel {
    Q_OBJECT

public:
    explicit SliderWidget(QWidget* parent = nullptr);
    ~SliderWidget() override;

    // The size the slider gave itself.
    QSize sizeHint() const override;

protected:
    void layoutSlider() override;
    void drawSlider() override;
    void dragCancelled() override;
    std::int32_t surfaceWidth() const override { return width(); }
    std::int32_t surfaceHeight() const override { return height(); }

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    // The keys of a standard slider (see slider_keys.hpp); the tip shows
    // while one is held, as during a drag.
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    // The wheel moves the thumb a step per notch, up and away from the user
    // towards Max, as the Up key does.
    void wheelEvent(QWheelEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void closeKeyTip();

    // Shows the shared tip beside the thumb with the current value, worded
    // by ValueTipText.
    void showTip();
    void paintSurface(const std::vector<slider_geometry::PaintStep>& plan);

    QPixmap surface_;
    bool layingOut_ = false;
    bool keyTip_ = false;  // the tip is shown for a held key
    int wheelAngle_ = 0;   // eighths of a degree turned short of a notch
};

}  // namespace quorvane
