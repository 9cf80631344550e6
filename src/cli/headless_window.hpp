#pragma once

#include <functional>
#include <ostream>
#include <string>

#include "slider/slider_model.hpp"
#include "workflow/form1.hpp"
#include "workflow/scripted_services.hpp"

namespace quorvane::cli {

// The window's model without a window: plain slider models, folder choices
// answered by the command line, messages printed on stderr, no event pump
// and no pause.
class HeadlessWindow {
public:
    explicit HeadlessWindow(std::ostream& err);

    // SOURCE (and DEST when `dest` is not empty), answered with these folders.
    void chooseFolders(const std::string& source, const std::string& dest);
    // How many errors the commands have shown so far.
    std::size_t errorCount() const { return messages_.messages.size(); }
    // Runs before a message is printed (a progress line in place ends first).
    std::function<void()> beforeMessage;

    TarnSlider segmento;
    TarnSlider choose;

private:
    ScriptedFolderPicker picker_;
    RecordingMessages messages_;
    ScriptedEventPump pump_;
    NoPause pause_;

public:
    Form1 form;
};

}  // namespace quorvane::cli
