#include "ui/picture_controls.hpp"

#include <QMouseEvent>
#include <QPainter>

namespace quorvane::ui {

namespace {
QString text(std::string_view s) { return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())); }
}  // namespace

QPixmap loadBitmap(std::string_view name) { return QPixmap(text(layout::kBitmapPrefix) + text(name)); }

PictureButton::PictureButton(const layout::ButtonPlace& place, QWidget* parent) : QWidget(parent), place_(place) {
    setObjectName(text(place.control));
    setAccessibleName(place.caption.empty() ? text(place.released) : text(place.caption));
    setGeometry(place.box.left, place.box.top, place.box.width, place.box.height);
    setMouseTracking(true);
    setAttribute(Qt::WA_NoMousePropagation);
    setCursor(Qt::PointingHandCursor);
}

void PictureButton::showPicture(std::string_view name) {
    pictureName_ = text(name);
    picture_ = loadBitmap(name);
    // A picture control takes the size of its picture.
    if (!picture_.isNull()) resize(picture_.deviceIndependentSize().toSize());
    update();
}

void PictureButton::paintEvent(QPaintEvent*) {
    if (picture_.isNull()) return;
    QPainter painter(this);
    painter.drawPixmap(0, 0, picture_);
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
