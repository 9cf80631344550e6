#include "audio_file.hpp"

#include <sndfile.h>

#include <algorithm>
#include <cctype>
#include <cstring>

#include "engine/errors.hpp"
#include "engine/output_file.hpp"
#include "engine/platform_files.hpp"

namespace quorvane::preview {

namespace {

// libsndfile encodes into memory; the bytes then go out as a cut does.
struct MemoryFile {
    std::vector<std::uint8_t> bytes;
    sf_count_t at = 0;

    static MemoryFile& of(void* data) { return *static_cast<MemoryFile*>(data); }
    static sf_count_t length(void* data) { return static_cast<sf_count_t>(of(data).bytes.size()); }
    static sf_count_t seek(sf_count_t offset, int whence, void* data) {
        MemoryFile& f = of(data);
        const sf_count_t base = whence == SEEK_CUR ? f.at : whence == SEEK_END ? length(data) : 0;
        if (base + offset < 0) return -1;
        return f.at = base + offset;
    }
    static sf_count_t read(void* to, sf_count_t count, void* data) {
        MemoryFile& f = of(data);
        const sf_count_t n = std::clamp<sf_count_t>(length(data) - f.at, 0, count);
        if (n > 0) std::memcpy(to, f.bytes.data() + f.at, static_cast<std::size_t>(n));
        f.at += n;
        return n;
    }
    static sf_count_t write(const void* from, sf_count_t count, void* data) {
        MemoryFile& f = of(data);
        const auto end = static_cast<std::size_t>(f.at + count);
        if (end > f.bytes.size()) f.bytes.resize(end);
        std::memcpy(f.bytes.data() + f.at, from, static_cast<std::size_t>(count));
        f.at += count;
        return count;
    }
    static sf_count_t tell(void* data) { return of(data).at; }
};

int sndfileFormat(AudioFormat format) {
    switch (format) {
        case AudioFormat::Flac: return SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
        case AudioFormat::Ogg: return SF_FORMAT_OGG | SF_FORMAT_VORBIS;
        case AudioFormat::Wav: break;
    }
    return SF_FORMAT_WAV | SF_FORMAT_PCM_16;
}

std::vector<std::uint8_t> encode(const Pcm& pcm, AudioFormat format, const std::string& label) {
    SF_VIRTUAL_IO io{&MemoryFile::length, &MemoryFile::seek, &MemoryFile::read, &MemoryFile::write, &MemoryFile::tell};
    MemoryFile memory;
    SF_INFO info{};
    info.samplerate = pcm.sampleRate;
    info.channels = 2;
    info.format = sndfileFormat(format);
    SNDFILE* file = sf_open_virtual(&io, SFM_WRITE, &info, &memory);
    if (!file)
        throw FileError(ErrorKind::CannotWrite, label, std::string("cannot encode the audio: ") + sf_strerror(nullptr));
    sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    // In pieces: the Vorbis encoder fails on very large single writes.
    constexpr sf_count_t kPiece = 4096;
    const auto frames = static_cast<sf_count_t>(pcm.frames());
    bool complete = true;
    for (sf_count_t at = 0; at < frames && complete; at += kPiece) {
        const sf_count_t count = std::min(kPiece, frames - at);
        complete = sf_writef_float(file, pcm.samples.data() + 2 * at, count) == count;
    }
    const std::string reason = sf_strerror(file);
    if (sf_close(file) != 0 || !complete) {
        throw FileError(ErrorKind::CannotWrite, label, "cannot encode the audio: " + reason);
    }
    return std::move(memory.bytes);
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

void writeAudio(const Pcm& pcm, const std::string& path, AudioFormat format) {
    const std::vector<std::uint8_t> bytes = encode(pcm, format, path);
    OutputFile out(pathFromUtf8(path), path);
    out.put(std::span<const std::uint8_t>(bytes));
    out.commit();
}

}  // namespace quorvane::preview
