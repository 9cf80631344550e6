#pragma once

#include <QPixmap>
#include <QString>
#include <QWidget>
#include <string_view>

#include "ui/layout.hpp"

namespace quorvane::ui {

// A bitmap of the program's resources by its upper-case name (SOURCE,
// LEDON2, ...), loaded anew at every call. A null pixmap if there is none.
QPixmap loadBitmap(std::string_view name);

// One of the six picture buttons. It shows no picture until the first press
// (the background draws its released look until then). Any mouse button
// shows the pressed picture and its release the released one; a left press
// released over the button is a click. Moves over it are reported (the LEDs
// follow them) and never reach the window's background. From the keyboard
// (Tab brings it the focus), Space or Enter shows the pressed picture while
// held and clicks on release. Disabled, it is shown dimmed.
class PictureButton final : public QWidget {
    Q_OBJECT

public:
    PictureButton(const layout::ButtonPlace& place, QWidget* parent);

    // The name of the bitmap shown, empty while none is.
    const QString& pictureName() const noexcept { return pictureName_; }
    const QPixmap& picture() const noexcept { return picture_; }

signals:
    void clicked();
    void mouseMoved();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void showPicture(std::string_view name);

    layout::ButtonPlace place_;
    QString pictureName_;
    QPixmap picture_;
    bool leftPressed_ = false;
    bool keyPressed_ = false;
};

// One LED: dark or lit, with no picture until it is first set.
class Led final : public QWidget {
public:
    Led(int index, const layout::LedPlace& place, QWidget* parent);

    // Loads the lit or dark bitmap anew and shows it.
    void setLit(bool lit);
    bool isLit() const noexcept { return lit_; }
    const QString& pictureName() const noexcept { return pictureName_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    layout::LedPlace place_;
    bool lit_ = false;
    QString pictureName_;
    QPixmap picture_;
};

}  // namespace quorvane::ui
