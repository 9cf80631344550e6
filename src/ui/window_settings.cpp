#include "ui/window_settings.hpp"

#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>

#include "ui/main_window.hpp"

namespace quorvane::ui {

namespace {
const QString kSource = QStringLiteral("folders/source");
const QString kDest = QStringLiteral("folders/destination");
const QString kClipLength = QStringLiteral("clipLength");
const QString kPosition = QStringLiteral("window/position");
// Set by hand only (no control chooses it): the play button's SoundFont.
const QString kSoundFont = QStringLiteral("preview/soundfont");

// The remembered folder under `key` if it is still a folder; else forgotten.
QString folder(QSettings& store, const QString& key) {
    QString path = store.value(key).toString();
    if (path.isEmpty() || QFileInfo(path).isDir()) return path;
    store.remove(key);
    return {};
}

void remember(QSettings& store, const QString& key, const std::string& value) {
    if (value.empty()) {
        store.remove(key);
    } else {
        store.setValue(key, QString::fromStdString(value));
    }
}
}  // namespace

void WindowSettings::restore(MainWindow& window) {
    WindowModel& model = window.model();
    if (const QString source = folder(store_, kSource); !source.isEmpty()) model.useSourceFolder(source.toStdString());
    if (const QString dest = folder(store_, kDest); !dest.isEmpty()) model.useDestFolder(dest.toStdString());
    bool ok = false;
    const int clip = store_.value(kClipLength).toInt(&ok);
    SliderModel& slider = window.clipSlider();
    if (ok && clip >= slider.min() && clip <= slider.max()) slider.setValue(clip);
    // A place on a screen that is no longer there would hide the window.
    const QPoint place = store_.value(kPosition).toPoint();
    if (store_.contains(kPosition) && QGuiApplication::screenAt(place + QPoint(20, 20))) window.move(place);
    window.cutPointPreview().useSoundFont(store_.value(kSoundFont).toString().toStdString());
    window.refresh();
}

void WindowSettings::save(MainWindow& window) {
    WindowModel& model = window.model();
    remember(store_, kSource, model.sourceFolder);
    remember(store_, kDest, model.appState().destFolder);
    store_.setValue(kClipLength, window.clipSlider().value());
    store_.setValue(kPosition, window.pos());
    store_.sync();
}

}  // namespace quorvane::ui
