#pragma once

#include <QObject>

namespace quorvane::ui {

class FocusRing;
class MainWindow;

// The window's keyboard: the Tab order (picture buttons, the list and the
// two sliders, down the left column and then the right), the ring that shows
// the focus, and the shortcuts:
//
//   Ctrl+O SOURCE, Ctrl+D DEST, Ctrl+Enter CUT ONE, Ctrl+Shift+Enter CUT ALL,
//   Esc stops a running CUT ALL after the file in hand, F5 lists the source
//   folder again, Ctrl+Q quits, F1 the About box.
class WindowKeys final : public QObject {
public:
    explicit WindowKeys(MainWindow& window);

    FocusRing& focusRing() noexcept { return *ring_; }

private:
    MainWindow& window_;
    FocusRing* ring_ = nullptr;
};

}  // namespace quorvane::ui
