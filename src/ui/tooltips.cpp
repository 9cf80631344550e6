#include "ui/tooltips.hpp"

#include "ui/face_texts.hpp"
#include "ui/main_window.hpp"

namespace quorvane::ui {

namespace {
QString text(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
}  // namespace

void addToolTips(MainWindow& window) {
    for (int b = 0; b < layout::ButtonCount; ++b) {
        window.button(static_cast<layout::Button>(b)).setToolTip(text(texts::kButtonTips[b]));
    }
    window.list().setToolTip(text(texts::kSongListTip));
    window.cutSlider().setToolTip(text(texts::kCutPointTip));
    window.clipSlider().setToolTip(text(texts::kClipLengthTip));
    // A caption keeps its description under texts that it shows whole.
    window.clipLengthCaption().setDescription(text(texts::kClipLengthCaption));
    window.listedCountCaption().setDescription(text(texts::kListedCountCaption));
    window.cutPointTimeCaption().setDescription(text(texts::kCutPointTimeCaption));
    window.cutCountCaption().setDescription(text(texts::kCutCountCaption));
    window.songPathCaption().setDescription(text(texts::kSongPathCaption));
    window.sourceFolderCaption().setDescription(text(texts::kSourceFolderCaption));
    window.destFolderCaption().setDescription(text(texts::kDestFolderCaption));
    window.statusCaption().setDescription(text(texts::kStatusCaption));
}

}  // namespace quorvane::ui
