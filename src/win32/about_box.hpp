#pragma once

namespace quorvane::win32 {

// Shows the About box: the program's name, version, what it does and its
// licence. Not modal: Esc and the exit button still reach a batch running
// underneath. Nothing when it is open already.
void showAboutBox();

}  // namespace quorvane::win32
