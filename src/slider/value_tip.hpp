#pragma once

// ValueTip: the small window that shows a slider's value beside its thumb
// while the thumb is dragged. One tip serves every slider of the program.

#include <QLabel>
#include <QString>
#include <QWidget>

namespace quorvane {

class ValueTip final : public QWidget {
    Q_OBJECT

public:
    // The shared tip, created on first use. It is kept as a window of
    // owner's top-level window, so it never outlives the sliders' window; a
    // later Load from another window moves it there.
    static ValueTip& open(QWidget* owner);
    // The shared tip if it is loaded, else nullptr.
    static ValueTip* current() noexcept;
    // Closes the shared tip and lets it go; the next Load creates a new one.
    // Nothing happens when none is loaded.
    static void dismiss();

    // Shows text in label, whose width becomes the text's width in the tip's
    // font. Returns the label's new size.
    QSize setTipText(const QString& text);

    // The label, at (2, 1) in the window.
    QLabel* const label;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    explicit ValueTip(QWidget* owner);
};

}  // namespace quorvane
