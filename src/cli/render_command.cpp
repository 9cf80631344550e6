#include "render_command.hpp"

#include <cstdint>
#include <new>
#include <ostream>

#include "engine/errors.hpp"
#include "platform/files.hpp"
#include "platform/text.hpp"
#include "preview/audio_file.hpp"
#include "preview/render.hpp"
#include "preview/soundfont.hpp"
#include "preview/synth.hpp"
#include "commands.hpp"
#include "progress_line.hpp"

namespace quorvane::cli {

namespace {

// A song's events are held in memory while it is rendered.
constexpr char kNoMemory[] = "not enough memory to render the song";

preview::AudioFormat formatOf(const std::string& extension, const std::string& path) {
    const auto format = preview::audioFormatOf(extension);
    if (!format) throw FileError(ErrorKind::CannotWrite, path, "the audio file must end in .wav, .flac or .ogg");
    return *format;
}

}  // namespace

int runRender(const std::string& file, const std::string& clip, const AudioSettings& settings, std::ostream& out,
              std::ostream& err) {
    try {
        const preview::AudioFormat format = formatOf(utf8FromPath(pathFromUtf8(clip).extension()), clip);
        preview::Synth synth(preview::findSoundFont(settings.soundFont), settings.sampleRate);
        const std::uint64_t frames = preview::writeAudio(synth, preview::readSongEvents(file), clip, format);
        err << terminalText(file) << ": " << static_cast<double>(frames) / settings.sampleRate << " s of audio\n";
        out << clip << '\n';
        return kExitOk;
    } catch (const FileError& error) {
        err << terminalText(userMessage(error)) << '\n';
        return kExitFileError;
    } catch (const std::bad_alloc&) {
        err << terminalText(userMessage(FileError(ErrorKind::CannotWrite, clip, kNoMemory))) << '\n';
        return kExitFileError;
    }
}

AudioPreviews::AudioPreviews(const std::string& format, const AudioSettings& settings)
    : extension_("." + format),
      synth_(std::make_unique<preview::Synth>(preview::findSoundFont(settings.soundFont), settings.sampleRate)) {}

AudioPreviews::~AudioPreviews() = default;

void AudioPreviews::operator()(const std::string& cutFile) {
    const std::string clip = utf8FromPath(pathFromUtf8(cutFile).replace_extension(extension_));
    const preview::AudioFormat format = formatOf(extension_, clip);
    // Named in the cut's log line and on the terminal: shown as a log line shows names.
    const std::string shownName = withoutControlCharacters(utf8FromPath(pathFromUtf8(clip).filename()));
    try {
        preview::writeAudio(*synth_, preview::readSongEvents(cutFile), clip, format);
    } catch (const FileError& error) {
        // Whatever stopped the audio, it is a file that could not be written;
        // the reason names it, as a batch's log line names only the song.
        throw FileError(ErrorKind::CannotWrite, clip, "audio preview " + shownName + ": " + error.reason(),
                        error.offset());
    } catch (const std::bad_alloc&) {
        throw FileError(ErrorKind::CannotWrite, clip, "audio preview " + shownName + ": " + kNoMemory);
    }
}

}  // namespace quorvane::cli
