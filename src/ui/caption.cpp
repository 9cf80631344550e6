#include "ui/caption.hpp"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "workflow/caption_fit.hpp"

namespace quorvane::ui {

Caption::Caption(const char* name, const layout::Box& box, QWidget* parent, int reserve)
    : QWidget(parent), reserve_(reserve) {
    setObjectName(QString::fromLatin1(name));
    setGeometry(box.left, box.top, box.width, box.height);
    setAttribute(Qt::WA_NoMousePropagation);
}

void Caption::setText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    shown_ = shortened(std::max(0, width() - reserve_));
    updateToolTip();
    setAccessibleName(text_);
    update();
}

void Caption::setDescription(const QString& description) {
    description_ = description;
    updateToolTip();
}

void Caption::setShortenableNames(std::function<std::vector<std::string>()> names) {
    names_ = std::move(names);
    shown_ = shortened(std::max(0, width() - reserve_));
    updateToolTip();
    update();
}

void Caption::updateToolTip() { setToolTip(shown_ != text_ ? text_ : description_); }

QString Caption::shownText() const { return shown_; }

QString Caption::shortened(int room) const {
    const QFontMetrics metrics = fontMetrics();
    const TextWidth width = [&metrics](std::string_view text) {
        return metrics.horizontalAdvance(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    };
    const QByteArray whole = text_.toUtf8();
    const std::string_view utf8(whole.constData(), static_cast<std::size_t>(whole.size()));
    return QString::fromStdString(names_ ? shortenCaption(utf8, room, names_(), width)
                                         : elideMiddle(utf8, room, width));
}

void Caption::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::FontChange) return;
    shown_ = shortened(std::max(0, width() - reserve_));
    updateToolTip();
}

void Caption::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(Qt::white);
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, shown_);
}

void Caption::mousePressEvent(QMouseEvent* event) { event->accept(); }
void Caption::mouseMoveEvent(QMouseEvent* event) { event->accept(); }
void Caption::mouseReleaseEvent(QMouseEvent* event) { event->accept(); }

}  // namespace quorvane::ui
