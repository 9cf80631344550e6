#pragma once

// What the window says of itself: the About box's words and the tooltips of
// its controls and captions. Plain C++: every face of the window (the Qt one,
// the native Windows one) shows these same texts. UTF-8.

#include <array>
#include <string_view>

#include "ui/layout.hpp"

namespace quorvane::ui::texts {

inline constexpr std::string_view kAbout =
    "Cuts Standard MIDI Files short: clean clips of the length you choose, one song at a time or a whole folder at "
    "once.";
// The one place the licence is named in the program.
inline constexpr std::string_view kLicence = "Licence: MIT. The program comes with no warranty.";

// The picture buttons' tooltips, in the order of layout::Button.
inline constexpr std::array<std::string_view, layout::ButtonCount> kButtonTips{{
    "SOURCE (Ctrl+O): choose the folder of songs to cut. Its .mid files are listed; F5 lists them again. "
    "You can also drop a folder or a .mid file on the window.",
    "DEST (Ctrl+D): choose the folder the cut files go to. Without one, each cut is written beside its song.",
    "CUT ALL (Ctrl+Shift+Enter): cut every listed song to the CLIP LENGTH and write a log, Quorvane.log, in the "
    "source folder. Esc stops it after the file in hand.",
    "CUT ONE (Ctrl+Enter): cut the selected song where CUT POINT stands.",
    "Minimise the window.",
    "Quit (Ctrl+Q). A running CUT ALL stops first, its log closed.",
    "Play (Space): hear the five seconds before CUT POINT and how the cut will end; press again to stop.",
}};
inline constexpr std::string_view kSongListTip =
    "The songs of the source folder. Choose one to see its length and cut it with CUT ONE.";
inline constexpr std::string_view kCutPointTip =
    "CUT POINT: where CUT ONE cuts the selected song, shown as a time. Format 1 songs are cut at the next bar line. "
    "At the right end the whole song is kept. Keys: arrows, Page Up/Down, Home, End; or the mouse wheel.";
inline constexpr std::string_view kClipLengthTip =
    "CLIP LENGTH: how many seconds of each song CUT ALL keeps, from the start. Keys: arrows, Page Up/Down, Home, "
    "End; or the mouse wheel.";

// What each caption is, its tooltip while it shows its text whole.
inline constexpr std::string_view kClipLengthCaption = "The clip length CUT ALL keeps, in seconds.";
inline constexpr std::string_view kListedCountCaption = "How many songs the source folder holds.";
inline constexpr std::string_view kCutPointTimeCaption =
    "The length of the clip CUT ONE writes; with CUT POINT at the right end, the whole song.";
inline constexpr std::string_view kCutCountCaption =
    "The number of the song CUT ALL is cutting; Done! when it has finished.";
inline constexpr std::string_view kSongPathCaption = "The selected song.";
inline constexpr std::string_view kSourceFolderCaption =
    "The source folder. CUT ALL writes its log, Quorvane.log, here.";
inline constexpr std::string_view kDestFolderCaption =
    "The destination folder for the cut files; empty: beside each song.";
inline constexpr std::string_view kStatusCaption =
    "What the last command wrote, or why it wrote nothing; during CUT ALL, how far it is.";

}  // namespace quorvane::ui::texts
