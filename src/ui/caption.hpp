#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "ui/layout.hpp"

namespace quorvane::ui {

// A label of the window: white text on the background picture, top left,
// no background of its own. Long texts are shortened as every face shortens
// them (workflow/caption_fit.hpp), measured in the caption's font; `reserve`
// pixels at the right stay clear for the artwork's tag. Mouse events over a
// caption stay with it, as they would over any control: they never reach the
// window's background.
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
    // For a caption of sentences: the names it may shorten (files, folders,
    // UTF-8). A text too long is then cut inside the longest name it holds.
    void setShortenableNames(std::function<std::vector<std::string>()> names);

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
    std::function<std::vector<std::string>()> names_;
    int reserve_;
};

}  // namespace quorvane::ui
