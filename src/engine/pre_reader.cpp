#include "pre_reader.hpp"

#include "byte_reader.hpp"
#include "platform/files.hpp"
#include "smf.hpp"
#include "song_source.hpp"
#include "track_walker.hpp"

namespace quorvane {

namespace {

// The first Set Tempo of the file, or nothing when every track ends first.
std::optional<std::uint32_t> firstTempo(ByteReader& in, const SmfHeader& header) {
    for (std::uint32_t k = 0; k < header.trackCount; ++k) {
        TrackWalker track(in);
        EventHead head;
        for (;;) {
            track.skipChannelMessages();
            if (!track.next(head)) break;
            if (head.kind == EventKind::Meta) {
                if (isSetTempo(head)) return readTempo(in, head);
                track.skipPayload(head);
                if (isEndOfTrack(head)) break;
            } else if (head.kind == EventKind::SysEx) {
                track.skipPayload(head);
            }
        }
        track.finish();
    }
    return std::nullopt;
}

SongHeader readSongHeader(ByteReader& in) {
    const SmfHeader header = readHeader(in);
    const std::uint32_t tempo = firstTempo(in, header).value_or(kDefaultTempo);
    return SongHeader{header.format, header.division(), tempo, tickMilliseconds(tempo, header.division())};
}

}  // namespace

SongHeader preRead(const std::string& path) {
    ByteReader in = ByteReader::open(pathFromUtf8(path), path);
    return readSongHeader(in);
}

SongHeader preRead(const SongSource& song, const std::atomic<bool>* stop) {
    ByteReader in = song.reader();
    in.stopWhen(stop);
    return readSongHeader(in);
}

}  // namespace quorvane
