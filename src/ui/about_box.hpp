#pragma once

#include <QString>

class QWidget;

namespace quorvane::ui {

// The About box's text: the version this program was built as, its licence,
// the Qt it runs on and a line on what it does.
QString aboutText();

// Shows the About box over `owner` without waiting for it to close and
// without blocking the window (a batch running underneath goes on). A second call brings the open box forward.
void showAboutBox(QWidget* owner);

}  // namespace quorvane::ui
