#include "ui/tooltips.hpp"

#include "ui/main_window.hpp"

namespace quorvane::ui {

void addToolTips(MainWindow& window) {
    const auto tip = [](QWidget& control, const char* text) { control.setToolTip(QString::fromUtf8(text)); };
    // A caption keeps its description under texts that it shows whole.
    const auto describe = [](Caption& caption, const char* text) { caption.setDescription(QString::fromUtf8(text)); };
    tip(window.button(layout::Source),
        "SOURCE (Ctrl+O): choose the folder of songs to cut. Its .mid files are listed; F5 lists them again. "
        "You can also drop a folder or a .mid file on the window.");
    tip(window.button(layout::Dest),
        "DEST (Ctrl+D): choose the folder the cut files go to. Without one, each cut is written "
        "beside its song.");
    tip(window.button(layout::CutAll),
        "CUT ALL (Ctrl+Shift+Enter): cut every listed song to the CLIP LENGTH and write a log, "
        "Quorvane.log, in the source folder. Esc stops it after the file in hand.");
    tip(window.button(layout::CutOne), "CUT ONE (Ctrl+Enter): cut the selected song where CUT POINT stands.");
    tip(window.button(layout::Play),
        "Play (Space): hear the five seconds before CUT POINT and how the cut will end; press again to stop.");
    tip(window.button(layout::Minimise), "Minimise the window.");
    tip(window.button(layout::Exit), "Quit (Ctrl+Q). A running CUT ALL stops first, its log closed.");
    tip(window.list(), "The songs of the source folder. Choose one to see its length and cut it with CUT ONE.");
    tip(window.cutSlider(),
        "CUT POINT: where CUT ONE cuts the selected song, shown as a time. Format 1 songs are cut at the "
        "next bar line. At the right end the whole song is kept. Keys: arrows, Page Up/Down, Home, End; or the mouse "
        "wheel.");
    tip(window.clipSlider(),
        "CLIP LENGTH: how many seconds of each song CUT ALL keeps, from the start. "
        "Keys: arrows, Page Up/Down, Home, End; or the mouse wheel.");
    describe(window.clipLengthCaption(), "The clip length CUT ALL keeps, in seconds.");
    describe(window.listedCountCaption(), "How many songs the source folder holds.");
    describe(window.cutPointTimeCaption(),
             "The length of the clip CUT ONE writes; with CUT POINT at the right end, the whole song.");
    describe(window.cutCountCaption(), "The number of the song CUT ALL is cutting; Done! when it has finished.");
    describe(window.songPathCaption(), "The selected song.");
    describe(window.sourceFolderCaption(), "The source folder. CUT ALL writes its log, Quorvane.log, here.");
    describe(window.destFolderCaption(), "The destination folder for the cut files; empty: beside each song.");
    describe(window.statusCaption(),
             "What the last command wrote, or why it wrote nothing; during CUT ALL, how far it is.");
}

}  // namespace quorvane::ui
