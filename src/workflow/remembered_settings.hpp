#pragma once

#include <string>

namespace quorvane {

class WindowModel;

// Where a face keeps what the window remembers between runs: QSettings on
// Linux, an ini file on Windows. Keys are "section/name" (a key without a
// section goes to [General]); values are UTF-8 text.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // Empty when nothing is kept under `key`.
    virtual std::string value(const std::string& key) = 0;
    virtual void setValue(const std::string& key, const std::string& value) = 0;
    virtual void remove(const std::string& key) = 0;
};

namespace settings_key {
inline constexpr const char* kSource = "folders/source";
inline constexpr const char* kDest = "folders/destination";
inline constexpr const char* kClipLength = "clipLength";
inline constexpr const char* kPosition = "window/position";
// Set by hand only (no control chooses it): the play button's SoundFont.
inline constexpr const char* kSoundFont = "preview/soundfont";
}  // namespace settings_key

// Gives the window model the remembered folders and clip length. A folder
// that is gone is forgotten without a word; a clip length the slider does
// not take is left alone: the window starts as it always did.
void restoreSettings(SettingsStore& store, WindowModel& model);
// Remembers the folders (an empty one is forgotten) and the clip length.
void saveSettings(SettingsStore& store, const WindowModel& model);

}  // namespace quorvane
