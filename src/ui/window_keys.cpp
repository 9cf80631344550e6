#include "ui/window_keys.hpp"

#include <QShortcut>
#include <functional>

#include "ui/about_box.hpp"
#include "ui/focus_ring.hpp"
#include "ui/main_window.hpp"

namespace quorvane::ui {

WindowKeys::WindowKeys(MainWindow& window) : QObject(&window), window_(window) {
    const std::initializer_list<QWidget*> order = {&window.button(layout::Source),
                                                   &window.button(layout::Dest),
                                                   &window.button(layout::CutAll),
                                                   &window.clipSlider(),
                                                   &window.list(),
                                                   &window.cutSlider(),
                                                   &window.button(layout::Play),
                                                   &window.button(layout::CutOne),
                                                   &window.button(layout::Minimise),
                                                   &window.button(layout::Exit)};
    for (auto it = order.begin(); it + 1 != order.end(); ++it) QWidget::setTabOrder(*it, *(it + 1));
    ring_ = new FocusRing(&window, order);

    // Commands run from the event loop, once the key's own handling is over,
    // as a click's do.
    const auto later = [this](const std::function<void()>& command) {
        return [this, command] { QMetaObject::invokeMethod(this, command, Qt::QueuedConnection); };
    };
    const auto run = [this, later](layout::Button which) {
        return later([this, which] { window_.runCommand(which); });
    };
    const struct {
        QKeySequence keys;
        std::function<void()> action;
    } shortcuts[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_O), run(layout::Source)},
        {QKeySequence(Qt::CTRL | Qt::Key_D), run(layout::Dest)},
        {QKeySequence(Qt::CTRL | Qt::Key_Return), run(layout::CutOne)},
        {QKeySequence(Qt::CTRL | Qt::Key_Enter), run(layout::CutOne)},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Return), run(layout::CutAll)},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Enter), run(layout::CutAll)},
        // At once: during a batch this runs from the batch's own event handling.
        {QKeySequence(Qt::Key_Escape), [this] { window_.model().requestStop(); }},
        {QKeySequence(Qt::Key_F5), later([this] { window_.listAgain(); })},
        {QKeySequence(Qt::CTRL | Qt::Key_Q), later([this] { window_.close(); })},
        {QKeySequence(Qt::Key_F1), later([this] { showAboutBox(&window_); })},
    };
    for (const auto& [keys, action] : shortcuts) {
        auto* shortcut = new QShortcut(keys, &window);
        connect(shortcut, &QShortcut::activated, this, action);
    }
}

}  // namespace quorvane::ui
