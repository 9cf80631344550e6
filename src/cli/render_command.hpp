#pragma once

#include <iosfwd>
#include <memory>
#include <optional>
#include <string>

namespace quorvane::preview {
class Synth;
}

namespace quorvane::cli {

inline constexpr int kDefaultSampleRate = 44100;

// What --soundfont and --rate ask for.
struct AudioSettings {
    std::optional<std::string> soundFont;
    int sampleRate = kDefaultSampleRate;
};

// `quorvane render FILE --out CLIP`: the whole song as audio, in the format
// the extension of CLIP names (.wav, .flac or .ogg).
int runRender(const std::string& file, const std::string& clip, const AudioSettings& settings, std::ostream& out,
              std::ostream& err);

// --preview FORMAT: writes the audio of each cut file beside it, under its
// name with the extension FORMAT. A render that fails throws the error of a
// file that cannot be written, naming the audio file.
class AudioPreviews {
public:
    // Loads the SoundFont; throws FileError when it cannot.
    AudioPreviews(const std::string& format, const AudioSettings& settings);
    ~AudioPreviews();
    AudioPreviews(const AudioPreviews&) = delete;
    AudioPreviews& operator=(const AudioPreviews&) = delete;

    void operator()(const std::string& cutFile);

private:
    std::string extension_;
    std::unique_ptr<preview::Synth> synth_;
};

}  // namespace quorvane::cli
