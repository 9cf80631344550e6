#include "ui/picture_controls.hpp"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace quorvane::ui {

namespace {
QString text(std::string_view s) { return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())); }

// Space and Enter press a focused button; with Ctrl, Alt or Meta they are
// the window's shortcuts instead.
bool pressesButton(const QKeyEvent& event) {
    const int key = event.key();
    return (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) &&
           !(event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
}
}  // namespace

QPixmap loadBitmap(std::string_view name) { return QPixmap(text(layout::kBitmapPrefix) + text(name)); }

PictureButton::PictureButton(const layout::ButtonPlace& place, QWidget* parent) : QWidget(parent), place_(place) {
    setObjectName(text(place.control));
    setAccessibleName(place.caption.empty() ? text(place.released) : text(place.caption));
    setGeometry(place.box.left, place.box.top, place.box.width, place.box.height);
    setMouseTracking(true);
    setAttribute(Qt::WA_NoMousePropagation);
    setCursor(Qt::PointingHandCursor);
    // Tab only: a click leaves the keyboard where it was (the list's arrows).
    setFocusPolicy(Qt::TabFocus);
}

void PictureButton::showPicture(std::string_view name) {
    pictureName_ = text(name);
    picture_ = loadBitmap(name);
    // A picture control takes the size of its picture.
    if (!picture_.isNull()) resize(picture_.deviceIndependentSize().toSize());
    update();
}

void PictureButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!picture_.isNull()) painter.drawPixmap(0, 0, picture_);
    // Dimmed towards the list's dark well while the button waits.
    if (!isEnabled()) painter.fillRect(rect(), QColor(0x12, 0x14, 0x18, 170));
}

void PictureButton::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) update();
}

void PictureButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) leftPressed_ = true;
    showPicture(place_.pressed);
    event->accept();
}

void PictureButton::mouseReleaseEvent(QMouseEvent* event) {
    showPicture(place_.released);
    event->accept();
    if (event->button() != Qt::LeftButton) return;
    const bool wasPressed = leftPressed_;
    leftPressed_ = false;
    if (wasPressed && rect().contains(event->position().toPoint())) emit clicked();
}

void PictureButton::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    emit mouseMoved();
}

void PictureButton::keyPressEvent(QKeyEvent* event) {
    if (!pressesButton(*event)) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    if (event->isAutoRepeat() || keyPressed_) return;
    keyPressed_ = true;
    showPicture(place_.pressed);
}

void PictureButton::keyReleaseEvent(QKeyEvent* event) {
    if (!pressesButton(*event) || event->isAutoRepeat()) {
        QWidget::keyReleaseEvent(event);
        return;
    }
    event->accept();
    if (!keyPressed_) return;
    keyPressed_ = false;
    showPicture(place_.released);
    emit clicked();
}

void PictureButton::focusOutEvent(QFocusEvent* event) {
    // The focus left while the key was held: the press is let go, unclicked.
    if (keyPressed_) {
        keyPressed_ = false;
        showPicture(place_.released);
    }
    QWidget::focusOutEvent(event);
}

Led::Led(int index, const layout::LedPlace& place, QWidget* parent) : QWidget(parent), place_(place) {
    setObjectName(QStringLiteral("ImgLed%1").arg(index));
    setGeometry(place.box.left, place.box.top, place.box.width, place.box.height);
    setAttribute(Qt::WA_NoMousePropagation);
}

void Led::setLit(bool lit) {
    lit_ = lit;
    const std::string_view name = lit ? place_.lit : place_.dark;
    pictureName_ = text(name);
    picture_ = loadBitmap(name);
    update();
}

void Led::paintEvent(QPaintEvent*) {
    if (picture_.isNull()) return;
    QPainter painter(this);
    painter.drawPixmap(0, 0, picture_);
}

void Led::mousePressEvent(QMouseEvent* event) { event->accept(); }
void Led::mouseMoveEvent(QMouseEvent* event) { event->accept(); }

}  // namespace quorvane::ui
