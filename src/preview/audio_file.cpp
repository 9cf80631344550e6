#include "audio_file.hpp"

#include <sndfile.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <exception>
#include <span>

#include "engine/errors.hpp"
#include "platform/output_file.hpp"
#include "platform/files.hpp"

namespace quorvane::preview {

namespace {

// libsndfile writes through these calls into the output file, in order but
// for the header, which it writes again once the sizes are known.
class StreamedFile {
public:
    explicit StreamedFile(OutputFile& file) : file_(file) {}

    static SF_VIRTUAL_IO calls() { return {&length, &seek, &read, &write, &tell}; }
    // What stopped a write, for the caller to throw: a C library cannot pass it on.
    void rethrowFailure() const {
        if (failure_) std::rethrow_exception(failure_);
    }

private:
    static StreamedFile& of(void* data) { return *static_cast<StreamedFile*>(data); }
    static sf_count_t length(void* data) { return static_cast<sf_count_t>(of(data).file_.size()); }
    static sf_count_t seek(sf_count_t offset, int whence, void* data) {
        StreamedFile& f = of(data);
        const sf_count_t base = whence == SEEK_CUR ? f.at_ : whence == SEEK_END ? length(data) : 0;
        if (base + offset < 0 || base + offset > length(data)) return -1;
        return f.at_ = base + offset;
    }
    // Nothing written is read back.
    static sf_count_t read(void*, sf_count_t, void*) { return 0; }
    static sf_count_t write(const void* from, sf_count_t count, void* data) {
        StreamedFile& f = of(data);
        if (f.failure_) return 0;
        const auto* bytes = static_cast<const std::uint8_t*>(from);
        try {
            // Over what is there, then past the end.
            const sf_count_t over = std::clamp<sf_count_t>(length(data) - f.at_, 0, count);
            if (over > 0) f.file_.overwrite(static_cast<std::uint64_t>(f.at_), {bytes, static_cast<std::size_t>(over)});
            if (count > over) f.file_.put(std::span(bytes + over, static_cast<std::size_t>(count - over)));
        } catch (...) {
            f.failure_ = std::current_exception();
            return 0;
        }
        f.at_ += count;
        return count;
    }
    static sf_count_t tell(void* data) { return of(data).at_; }

    OutputFile& file_;
    sf_count_t at_ = 0;
    std::exception_ptr failure_;
};

int sndfileFormat(AudioFormat format) {
    switch (format) {
        case AudioFormat::Flac: return SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
        case AudioFormat::Ogg: return SF_FORMAT_OGG | SF_FORMAT_VORBIS;
        case AudioFormat::Wav: break;
    }
    return SF_FORMAT_WAV | SF_FORMAT_PCM_16;
}

}  // namespace

std::optional<AudioFormat> audioFormatOf(const std::string& extension) {
    std::string name = extension.starts_with('.') ? extension.substr(1) : extension;
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (name == "wav") return AudioFormat::Wav;
    if (name == "flac") return AudioFormat::Flac;
    if (name == "ogg") return AudioFormat::Ogg;
    return std::nullopt;
}

std::uint64_t writeAudio(Synth& synth, const SongEvents& song, const std::string& path, AudioFormat format) {
    OutputFile out(pathFromUtf8(path), path);
    StreamedFile streamed(out);
    SF_VIRTUAL_IO io = StreamedFile::calls();
    SF_INFO info{};
    info.samplerate = synth.sampleRate();
    info.channels = 2;
    info.format = sndfileFormat(format);
    SNDFILE* file = sf_open_virtual(&io, SFM_WRITE, &info, &streamed);
    if (!file) {
        streamed.rethrowFailure();
        throw FileError(ErrorKind::CannotWrite, path, std::string("cannot encode the audio: ") + sf_strerror(nullptr));
    }
    sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    // Block by block (the Vorbis encoder fails on very large single writes).
    std::uint64_t frames = 0;
    try {
        frames = renderSong(synth, song, [&](const float* samples, int count) {
            if (sf_writef_float(file, samples, count) == count) return;
            streamed.rethrowFailure();
            throw FileError(ErrorKind::CannotWrite, path, std::string("cannot encode the audio: ") + sf_strerror(file));
        });
    } catch (...) {
        // A render that stops half way leaves nothing behind: the temporary goes with `out`.
        sf_close(file);
        throw;
    }
    const std::string reason = sf_strerror(file);
    if (sf_close(file) != 0) {
        streamed.rethrowFailure();
        throw FileError(ErrorKind::CannotWrite, path, "cannot encode the audio: " + reason);
    }
    streamed.rethrowFailure();
    out.commit();
    return frames;
}

}  // namespace quorvane::preview
