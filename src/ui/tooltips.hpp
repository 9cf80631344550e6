#pragma once

namespace quorvane::ui {

class MainWindow;

// Gives every button, slider and caption of the window its tooltip: what it
// does, in plain words, with its shortcut.
void addToolTips(MainWindow& window);

}  // namespace quorvane::ui
