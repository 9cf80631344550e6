#pragma once

#include <QWidget>
#include <initializer_list>

namespace quorvane::ui {

// The ring around the control that has the keyboard focus, drawn in the
// skin's accent colour. It follows focus brought by the keyboard (Tab,
// Shift+Tab, a shortcut) and stays away after mouse clicks, so that the
// window looks as it always did to a mouse user. It lets the pointer through.
class FocusRing final : public QWidget {
public:
    FocusRing(QWidget* window, std::initializer_list<QWidget*> controls);

    // The control the ring is drawn around; nullptr while it is hidden.
    QWidget* target() const noexcept { return target_; }
    // Draws the ring around `control` (nullptr: hides it), as when the
    // keyboard brings it the focus.
    void surround(QWidget* control);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QWidget* target_ = nullptr;
};

}  // namespace quorvane::ui
