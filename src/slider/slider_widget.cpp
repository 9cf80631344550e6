#include "slider/slider_widget.hpp"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QPainter>
#include <QScopedValueRollback>

#include <algorithm>
#include <optional>
#include <type_traits>

#include "slider/qt_colour.hpp"
#include "slider/qt_picture.hpp"
#include "slider/slider_keys.hpp"
#include "slider/value_tip.hpp"

namespace quorvane {
namespace {

namespace geometry = slider_geometry;

std::optional<SliderKey> sliderKey(int key) {
    switch (key) {
        case Qt::Key_Up:
        case Qt::Key_Right: return SliderKey::StepUp;
        case Qt::Key_Down:
        case Qt::Key_Left: return SliderKey::StepDown;
        case Qt::Key_PageUp: return SliderKey::PageUp;
        case Qt::Key_PageDown: return SliderKey::PageDown;
        case Qt::Key_Home: return SliderKey::First;
        case Qt::Key_End: return SliderKey::Last;
        default: return std::nullopt;
    }
}

}  // namespace

SliderWidget::SliderWidget(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setFocusPolicy(Qt::StrongFocus);
}

SliderWidget::~SliderWidget() {
    if (dragging()) ValueTip::dismiss();
}

QSize SliderWidget::sizeHint() const { return size(); }

void SliderWidget::layoutSlider() {
    // Resizing ourselves below sends a resize event that would start the
    // same pass again on the same size; the pass in progress does the work.
    if (layingOut_) return;
    {
        const QScopedValueRollback<bool> guard(layingOut_, true);
        if (const auto wanted = geometry::layoutSize(currentShape())) {
            const QSize size(std::max(0, wanted->width), std::max(0, wanted->height));
            if (size != this->size()) {
                resize(size);  // limits set by the host may refuse it; we carry on
                updateGeometry();
            }
        }
        const auto thumb = geometry::placeOnSurface(currentShape());
        setThumbPosition(thumb.left, thumb.top);
    }
    drawSlider();
}

void SliderWidget::drawSlider() {
    const auto plan = geometry::planDrawing(currentShape());
    paintSurface(plan);
    update();
    if (std::holds_alternative<geometry::ShowValueTip>(plan.back())) showTip();
}

void SliderWidget::paintSurface(const std::vector<geometry::PaintStep>& plan) {
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * ratio).toSize();
    if (pixels.isEmpty()) {
        surface_ = QPixmap();
        return;
    }
    if (surface_.size() != pixels || surface_.devicePixelRatio() != ratio) {
        surface_ = QPixmap(pixels);
        surface_.setDevicePixelRatio(ratio);
    }

    QPainter painter(&surface_);
    const QPalette& colours = palette();
    for (const auto& step : plan) {
        std::visit(
            [&](const auto& s) {
                using Step = std::decay_t<decltype(s)>;
                if constexpr (std::is_same_v<Step, geometry::ClearSurface>) {
                    painter.setCompositionMode(QPainter::CompositionMode_Source);
                    painter.fillRect(rect(), toQColor(s.colour, colours));
                    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
                } else if constexpr (std::is_same_v<Step, geometry::PaintRailPicture>) {
                    if (const QPixmap* rail = pixmapOf(railPicture())) {
                        painter.drawPixmap(QPoint(s.x, s.y), *rail);
                    }
                } else if constexpr (std::is_same_v<Step, geometry::PaintThumb>) {
                    if (const QPixmap* thumb = pixmapOf(sliderIcon())) {
                        painter.drawPixmap(QPoint(s.x, s.y), *thumb);
                    }
                }
            },
            step);
    }
}

void SliderWidget::showTip() {
    const QPoint origin = mapToGlobal(QPoint(0, 0));
    ValueTip& tip = ValueTip::open(this);
    const QSize label = tip.setTipText(QString::fromStdString(valueTipText()));
    const auto place = geometry::placeTip(currentShape(), origin.x(), origin.y(), {label.width(), label.height()});
    tip.setGeometry(place.x, place.y, place.width, place.height);
    tip.show();  // on top by its window type, and never activated
}

void SliderWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (surface_.deviceIndependentSize().toSize() != size()) {
        painter.fillRect(rect(), toQColor(backColor(), palette()));
    }
    painter.drawPixmap(0, 0, surface_);
}

void SliderWidget::resizeEvent(QResizeEvent*) { layoutSlider(); }

void SliderWidget::showEvent(QShowEvent*) { drawSlider(); }

void SliderWidget::dragCancelled() { ValueTip::dismiss(); }

void SliderWidget::hideEvent(QHideEvent*) {
    closeKeyTip();
    // A hidden slider receives no release: the drag ends here, quietly.
    if (dragging()) {
        setDragging(false);
        ValueTip::dismiss();
    }
}

void SliderWidget::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // System colours follow the palette.
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange) {
        drawSlider();
    }
}

void SliderWidget::mousePressEvent(QMouseEvent* event) {
    // The press is always taken, so that the release comes back here even
    // while the slider ignores presses.
    event->accept();
    if (!acceptsInput() || event->button() != Qt::LeftButton) return;

    if (pressAt(static_cast<float>(event->position().x()), static_cast<float>(event->position().y()))) showTip();
}

void SliderWidget::mouseMoveEvent(QMouseEvent* event) {
    // A disabled slider moves nothing, even under a button pressed before.
    if (!dragging() || !acceptsInput()) return;
    dragTo(static_cast<float>(event->position().x()), static_cast<float>(event->position().y()));
}

void SliderWidget::mouseReleaseEvent(QMouseEvent*) {
    // Any button's release ends the drag.
    setDragging(false);
    ValueTip::dismiss();
}

void SliderWidget::keyPressEvent(QKeyEvent* event) {
    const std::optional<SliderKey> key = sliderKey(event->key());
    if (!key || event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
        QWidget::keyPressEvent(event);  // a shortcut of the window, perhaps
        return;
    }
    event->accept();
    if (!acceptsInput() || dragging()) return;
    setValue(valueAfterKey(value(), min(), max(), *key));
    // A ValueChanged handler may have disabled the slider.
    if (acceptsInput() && hasFocus()) {
        keyTip_ = true;
        showTip();
    }
}

void SliderWidget::keyReleaseEvent(QKeyEvent* event) {
    if (event->isAutoRepeat() || !sliderKey(event->key())) {
        QWidget::keyReleaseEvent(event);
        return;
    }
    event->accept();
    closeKeyTip();
}

void SliderWidget::wheelEvent(QWheelEvent* event) {
    event->accept();
    if (!acceptsInput() || dragging()) return;
    // A notch is 120 eighths of a degree; fine-grained wheels send less at a time.
    constexpr int kNotch = 120;
    const QPoint angle = event->angleDelta();
    const int turned = angle.y() != 0 ? angle.y() : angle.x();
    // With "natural" scrolling the system reports the turn reversed.
    wheelAngle_ += event->inverted() ? -turned : turned;
    const int notches = wheelAngle_ / kNotch;
    if (notches == 0) return;
    wheelAngle_ -= notches * kNotch;
    setValue(static_cast<std::int32_t>(std::clamp<std::int64_t>(std::int64_t{value()} + notches, min(), max())));
}

void SliderWidget::focusOutEvent(QFocusEvent* event) {
    closeKeyTip();
    QWidget::focusOutEvent(event);
}

void SliderWidget::closeKeyTip() {
    if (!keyTip_) return;
    keyTip_ = false;
    if (!dragging()) ValueTip::dismiss();
}

}  // namespace quorvane
