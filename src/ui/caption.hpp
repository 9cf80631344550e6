#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>

#include "ui/layout.hpp"

namespace quorvane::ui {

// A label of the window: white text on the background picture, top left,
// no background of its own. Long texts are cut in the middle with an ellipsis
// (paths keep their start and their file name); `reserve` pixels at the right
// stay clear for the artwork's tag. Mouse events over a caption stay with it,
// as they would over any control: they never reach the window's background.
//
// Its tooltip says what the caption is; while the text is shortened, it is
// the whole text instead.
class Caption final : public QWidget {
public:
    Caption(const char* name, const layout::Box& box, QWidget* parent, int reserve = 0);

    // The whole caption, as the window's model holds it.
    const QString& text() const noexcept { return text_; }
    void setText(const QString& text);
    // What is drawn: the caption, shortened to fit when it is too long.
    QString shownText() const;
    void setDescription(const QString& description);
    // For a caption of sentences: the names it may shorten (files, folders).
    // A text too long is then cut inside the longest name it holds, so that
    // the words around the name stay whole; else in its middle.
    void setShortenableNames(std::function<QStringList()> names);

protected:
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QString shortened(int room) const;
    void updateToolTip();

    QString text_;
    QString shown_;
    QString description_;
    std::function<QStringList()> names_;
    int reserve_;
};

}  // namespace quorvane::ui
