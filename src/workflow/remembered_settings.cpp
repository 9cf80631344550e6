#include "remembered_settings.hpp"

#include <charconv>
#include <filesystem>
#include <system_error>

#include "platform/files.hpp"
#include "window_model.hpp"

namespace quorvane {

namespace {

// The remembered folder under `key` if it is still a folder; else forgotten.
std::string folder(SettingsStore& store, const char* key) {
    std::string path = store.value(key);
    std::error_code error;
    if (path.empty() || std::filesystem::is_directory(pathFromUtf8(path), error)) return path;
    store.remove(key);
    return {};
}

void remember(SettingsStore& store, const char* key, const std::string& value) {
    if (value.empty()) {
        store.remove(key);
    } else {
        store.setValue(key, value);
    }
}

}  // namespace

void restoreSettings(SettingsStore& store, WindowModel& model) {
    if (const std::string source = folder(store, settings_key::kSource); !source.empty()) {
        model.useSourceFolder(source);
    }
    if (const std::string dest = folder(store, settings_key::kDest); !dest.empty()) model.useDestFolder(dest);
    const std::string text = store.value(settings_key::kClipLength);
    std::int32_t clip = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), clip);
    SliderModel& slider = model.clipSlider;
    if (error == std::errc() && end == text.data() + text.size() && clip >= slider.min() && clip <= slider.max()) {
        slider.setValue(clip);
    }
}

void saveSettings(SettingsStore& store, const WindowModel& model) {
    remember(store, settings_key::kSource, model.sourceFolder);
    remember(store, settings_key::kDest, model.appState().destFolder);
    store.setValue(settings_key::kClipLength, std::to_string(model.clipSlider.value()));
}

}  // namespace quorvane
