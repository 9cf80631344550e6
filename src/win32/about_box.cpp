#include "win32/about_box.hpp"

#include <atomic>
#include <string>
#include <thread>

#include "ui/face_texts.hpp"
#include "version/version.hpp"
#include "win32/services.hpp"
#include "win32/wide_text.hpp"

namespace quorvane::win32 {

void showAboutBox() {
    static std::atomic<bool> open{false};
    if (open.exchange(true)) return;
    const std::wstring title = std::wstring(L"About ") + kApplicationTitle;
    const std::wstring text = widen(std::string("Quorvane ") + QUORVANE_VERSION + "\n\n" +
                                    std::string(ui::texts::kAbout) + "\n\n" + std::string(ui::texts::kLicence));
    // Its own thread runs the box's message loop, so that the window's goes
    // on: the box is owned by none of ours, and blocks none.
    std::thread([title, text] {
        ::MessageBoxW(nullptr, text.c_str(), title.c_str(), MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND);
        open = false;
    }).detach();
}

}  // namespace quorvane::win32
