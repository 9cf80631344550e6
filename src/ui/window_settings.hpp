#pragma once

class QSettings;

namespace quorvane::ui {

class MainWindow;

// What the window remembers between runs: the source and destination
// folders, the clip length and the window's place; and the SoundFont of
// the play button, when one is set. Nothing remembered, the
// window starts as it always did; a remembered folder that is gone is
// forgotten without a word.
class WindowSettings {
public:
    explicit WindowSettings(QSettings& store) : store_(store) {}

    void restore(MainWindow& window);
    void save(MainWindow& window);

private:
    QSettings& store_;
};

}  // namespace quorvane::ui
