#include "headless_window.hpp"

#include "progress_line.hpp"

namespace quorvane::cli {

HeadlessWindow::HeadlessWindow(std::ostream& err) : form(segmento, choose, {picker_, messages_, pump_, pause_}) {
    Form1::applyDesign(segmento, choose);
    messages_.echo = [this, &err](const std::string& text) {
        if (beforeMessage) beforeMessage();
        err << terminalText(text) << '\n';
    };
    form.batchPauseMs = 0;
    form.Form_Load();
}

void HeadlessWindow::chooseFolders(const std::string& source, const std::string& dest) {
    picker_.answers.push_back(source);
    form.Image1_Click();
    if (!dest.empty()) {
        picker_.answers.push_back(dest);
        form.Image2_Click();
    }
}

}  // namespace quorvane::cli
