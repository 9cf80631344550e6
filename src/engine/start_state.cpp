#include "start_state.hpp"

#include "byte_reader.hpp"
#include "messages.hpp"
#include "platform/output_file.hpp"
#include "smf.hpp"
#include "song_source.hpp"
#include "track_walker.hpp"
#include "track_writer.hpp"

namespace quorvane {

namespace {

// Controllers with a meaning of their own here, not carried as plain values.
constexpr std::uint8_t kBankSelect = 0;
constexpr std::uint8_t kBankSelectLsb = 32;
constexpr std::uint8_t kDataEntry = 6;
constexpr std::uint8_t kDataEntryLsb = 38;
constexpr std::uint8_t kDataIncrement = 96;
constexpr std::uint8_t kNrpnLsb = 98;
constexpr std::uint8_t kNrpnMsb = 99;
constexpr std::uint8_t kRpnLsb = 100;
constexpr std::uint8_t kRpnMsb = 101;
constexpr std::uint8_t kResetControllers = 121;
constexpr std::uint8_t kLocalControl = 122;
constexpr std::uint8_t kNull = 127;  // an RPN of 127/127 selects nothing

bool isPlainController(std::uint8_t controller) {
    return controller != kBankSelect && controller != kBankSelectLsb && controller != kDataEntry &&
           controller != kDataEntryLsb && controller != kSustainPedal &&
           (controller < kDataIncrement || controller > kRpnMsb) && controller < kAllSoundOff;
}

// What Reset All Controllers sets back: modulation, expression, the pedals,
// pitch bend and pressure (volume, pan, bank and program stay).
bool isReset(std::uint8_t controller) {
    return controller == 1 || controller == 11 || (controller >= kSustainPedal && controller <= 67);
}

SetupMessage message(std::uint8_t status, std::uint8_t first, std::uint8_t second) {
    return {{status, first, second}, 3};
}

}  // namespace

// The parameter a track has selected on each channel, as its events go.
struct StartState::Selecting {
    struct Channel {
        bool registered = true;
        std::uint8_t msb = kNull;
        std::uint8_t lsb = kNull;
    };
    std::array<Channel, 16> channels;
};

void StartState::set(Setting& setting, const EventPlace& place, std::uint8_t first, std::uint8_t second) {
    if (setting.made && place < setting.place) return;  // a later track's earlier event
    setting.place = place;
    setting.value[0] = first;
    setting.value[1] = second;
    setting.made = true;
}

StartState StartState::read(const SongSource& song, std::uint64_t startTick) {
    StartState state;
    state.startTick_ = startTick;
    ByteReader in = song.reader();
    const SmfHeader header = readHeader(in);
    state.trackMeta_.resize(header.trackCount);
    for (std::uint32_t track = 0; track < header.trackCount; ++track) {
        TrackWalker walker(in);
        Selecting selecting;
        for (std::uint64_t index = 0; !walker.atEnd(); ++index) {
            walker.delta();
            if (walker.ticks() >= startTick) break;
            const EventHead head = walker.event();
            const EventPlace place{walker.ticks(), track, index};
            if (head.kind == EventKind::Channel) {
                state.take(head, place, selecting);
                continue;
            }
            if (head.kind == EventKind::Meta) {
                int global = -1;
                if (head.metaType == kMetaSetTempo) global = 0;
                if (head.metaType == kMetaTimeSignature) global = 1;
                if (head.metaType == kMetaKeySignature) global = 2;
                if (head.metaType == kMetaCopyright) global = 3;
                if (global >= 0) set(state.globalMeta_[static_cast<std::size_t>(global)], place, 0);
                const int name = head.metaType == kMetaTrackName ? 0 : head.metaType == kMetaInstrumentName ? 1 : -1;
                if (name >= 0) {
                    state.trackMeta_[track].index[static_cast<std::size_t>(name)] = index;
                    state.trackMeta_[track].made[static_cast<std::size_t>(name)] = true;
                }
            }
            walker.skipPayload(head);
            if (isEndOfTrack(head)) break;
        }
        walker.finish();
    }
    return state;
}

void StartState::take(const EventHead& head, const EventPlace& place, Selecting& selecting) {
    Channel& channel = channels_[head.channel()];
    const std::uint8_t first = head.data[0];
    const std::uint8_t second = head.data[1];
    switch (head.status & 0xF0) {
        case kNoteOff: set(channel.noteOff[first], place, 0); break;
        case kNoteOn: set(second > 0 ? channel.noteOn[first] : channel.noteOff[first], place, second); break;
        case kControlChange: {
            Selecting::Channel& selected = selecting.channels[head.channel()];
            if (first == kRpnMsb || first == kRpnLsb || first == kNrpnMsb || first == kNrpnLsb) {
                const bool registered = first == kRpnMsb || first == kRpnLsb;
                if (registered != selected.registered) selected = {registered, kNull, kNull};
                (first == kRpnMsb || first == kNrpnMsb ? selected.msb : selected.lsb) = second;
                set(channel.selection, place, selected.msb, selected.lsb);
                if (channel.selection.place == place) channel.selectionRegistered = registered;
            } else if (first == kDataEntry || first == kDataEntryLsb) {
                if (selected.msb == kNull && selected.lsb == kNull) break;
                ParameterValue& value = channel.parameters[Parameter{selected.registered, selected.msb, selected.lsb}];
                if (place < value.place) break;
                value.place = place;
                if (first == kDataEntry) {
                    value.msb = second;
                    value.hasLsb = false;
                } else {
                    value.lsb = second;
                    value.hasLsb = true;
                }
            } else if (first == kResetControllers) {
                set(channel.reset, place, 0);
            } else if (first == kAllSoundOff || first > kLocalControl) {
                set(channel.allNotesOff, place, 0);  // each of these ends the notes
            } else if (first < kAllSoundOff) {
                set(channel.controllers[first], place, second);
            }
            break;
        }
        case 0xC0: set(channel.program, place, first); break;
        case 0xD0: set(channel.pressure, place, first); break;
        case 0xE0: set(channel.pitchBend, place, first, second); break;
        default: break;  // key pressure ends with its note
    }
}

int StartState::keptMeta(std::uint32_t track, std::uint64_t index) const {
    for (std::size_t kind = 0; kind < globalMeta_.size(); ++kind) {
        const Setting& meta = globalMeta_[kind];
        if (meta.made && meta.place.track == track && meta.place.index == index) return static_cast<int>(kind);
    }
    if (track >= trackMeta_.size()) return -1;
    for (std::size_t name = 0; name < 2; ++name) {
        if (trackMeta_[track].made[name] && trackMeta_[track].index[name] == index) {
            return static_cast<int>(Meta::TrackName) + static_cast<int>(name);
        }
    }
    return -1;
}

std::vector<SetupMessage> StartState::channelSetup(std::uint32_t track, bool strikeNotes) const {
    std::vector<SetupMessage> out;
    for (std::uint8_t number = 0; number < 16; ++number) {
        const Channel& channel = channels_[number];
        const std::uint8_t control = kControlChange | number;
        // A setting this track made that a Reset All Controllers after it did not undo.
        const auto mine = [&](const Setting& setting, bool resettable) {
            return setting.made && setting.place.track == track &&
                   !(resettable && channel.reset.made && setting.place < channel.reset.place);
        };
        for (const std::uint8_t bank : {kBankSelect, kBankSelectLsb}) {
            if (mine(channel.controllers[bank], false)) {
                out.push_back(message(control, bank, channel.controllers[bank].value[0]));
            }
        }
        if (mine(channel.program, false))
            out.push_back({{std::uint8_t(0xC0 | number), channel.program.value[0], 0}, 2});
        for (std::uint8_t controller = 0; controller < kAllSoundOff; ++controller) {
            if (isPlainController(controller) && mine(channel.controllers[controller], isReset(controller))) {
                out.push_back(message(control, controller, channel.controllers[controller].value[0]));
            }
        }
        bool parameters = false;
        for (const auto& [parameter, value] : channel.parameters) {
            if (value.place.track != track) continue;
            parameters = true;
            out.push_back(message(control, parameter.registered ? kRpnMsb : kNrpnMsb, parameter.msb));
            out.push_back(message(control, parameter.registered ? kRpnLsb : kNrpnLsb, parameter.lsb));
            out.push_back(message(control, kDataEntry, value.msb));
            if (value.hasLsb) out.push_back(message(control, kDataEntryLsb, value.lsb));
        }
        // Then what was selected at the start, as later data entries expect.
        if (mine(channel.selection, true)) {
            const bool registered = channel.selectionRegistered;
            out.push_back(message(control, registered ? kRpnMsb : kNrpnMsb, channel.selection.value[0]));
            out.push_back(message(control, registered ? kRpnLsb : kNrpnLsb, channel.selection.value[1]));
        } else if (parameters) {
            out.push_back(message(control, kRpnMsb, kNull));
            out.push_back(message(control, kRpnLsb, kNull));
        }
        if (mine(channel.pitchBend, true)) {
            out.push_back(message(std::uint8_t(0xE0 | number), channel.pitchBend.value[0], channel.pitchBend.value[1]));
        }
        if (mine(channel.pressure, true))
            out.push_back({{std::uint8_t(0xD0 | number), channel.pressure.value[0], 0}, 2});
        if (mine(channel.controllers[kSustainPedal], true)) {
            out.push_back(message(control, kSustainPedal, channel.controllers[kSustainPedal].value[0]));
        }
    }
    if (!strikeNotes) return out;
    for (std::uint8_t number = 0; number < 16; ++number) {
        const Channel& channel = channels_[number];
        for (std::uint8_t key = 0; key < 128; ++key) {
            const Setting& on = channel.noteOn[key];
            const auto ended = [&](const Setting& end) { return end.made && on.place < end.place; };
            if (on.made && on.place.track == track && !ended(channel.noteOff[key]) && !ended(channel.allNotesOff)) {
                out.push_back(message(std::uint8_t(kNoteOn | number), key, on.value[0]));
            }
        }
    }
    return out;
}

std::optional<Vlq> StartState::writeLeadIn(TrackWalker& walker, std::uint32_t track, OutputFile& out, bool strikeNotes,
                                           const std::function<void(SetupMessage&)>& onSetup) const {
    ByteReader& in = walker.reader();
    // The kept meta events by kind, whole (status, type, length, payload).
    std::array<std::vector<std::uint8_t>, kMetaKinds> metas;
    std::optional<Vlq> pending;
    // As read() walks the track, so that the events' numbers agree.
    for (std::uint64_t index = 0; !walker.atEnd(); ++index) {
        walker.delta();
        if (walker.ticks() >= startTick_) {
            // Not above the delta-time just read: the event before lies before the start.
            pending = encodeVlq(static_cast<std::uint32_t>(walker.ticks() - startTick_));
            break;
        }
        const EventHead head = walker.event();
        if (head.kind == EventKind::SysEx) {
            out.put(0x00);
            putLongEvent(out, head, in);
            continue;
        }
        if (head.kind != EventKind::Meta) continue;
        const int kind = keptMeta(track, index);
        if (kind >= 0) {
            std::vector<std::uint8_t>& meta = metas[static_cast<std::size_t>(kind)];
            struct Keep {
                std::vector<std::uint8_t>& bytes;
                void put(std::uint8_t byte) { bytes.push_back(byte); }
                void put(std::span<const std::uint8_t> piece) { bytes.insert(bytes.end(), piece.begin(), piece.end()); }
                void operator()(std::span<const std::uint8_t> piece) { put(piece); }
            } keep{meta};
            keep.put(head.status);
            keep.put(head.metaType);
            keep.put(head.length.bytes());
            if (isSetTempo(head)) {
                readTempo(in, head, keep);  // checked as every tempo is
            } else {
                in.copy(head.length.value, keep);
            }
            continue;
        }
        walker.skipPayload(head);
        if (isEndOfTrack(head)) break;
    }
    for (const std::vector<std::uint8_t>& meta : metas) {
        if (meta.empty()) continue;
        out.put(0x00);
        out.put(meta);
    }
    for (SetupMessage& message : channelSetup(track, strikeNotes)) {
        if (onSetup) onSetup(message);
        out.put(0x00);
        out.put(std::span<const std::uint8_t>(message.bytes.data(), message.size));
    }
    return pending;
}

}  // namespace quorvane
