#include "ui/window_settings.hpp"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>

#include "ui/main_window.hpp"
#include "workflow/remembered_settings.hpp"

namespace quorvane::ui {

namespace {

// The remembered settings in QSettings.
class QtSettingsStore : public SettingsStore {
public:
    explicit QtSettingsStore(QSettings& store) : store_(store) {}

    std::string value(const std::string& key) override { return store_.value(qt(key)).toString().toStdString(); }
    void setValue(const std::string& key, const std::string& value) override {
        store_.setValue(qt(key), QString::fromStdString(value));
    }
    void remove(const std::string& key) override { store_.remove(qt(key)); }

private:
    static QString qt(const std::string& key) { return QString::fromStdString(key); }
    QSettings& store_;
};

const QString kPosition = QString::fromLatin1(settings_key::kPosition);

}  // namespace

void WindowSettings::restore(MainWindow& window) {
    QtSettingsStore store(store_);
    restoreSettings(store, window.model());
    // A place on a screen that is no longer there would hide the window.
    const QPoint place = store_.value(kPosition).toPoint();
    if (store_.contains(kPosition) && QGuiApplication::screenAt(place + QPoint(20, 20))) window.move(place);
    window.cutPointPreview().useSoundFont(store.value(settings_key::kSoundFont));
    window.refresh();
}

void WindowSettings::save(MainWindow& window) {
    QtSettingsStore store(store_);
    saveSettings(store, window.model());
    store_.setValue(kPosition, window.pos());
    store_.sync();
}

}  // namespace quorvane::ui
