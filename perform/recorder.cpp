// The recorder: starting and stopping a recording, turning it into a song,
// replaying that song through the player and saving it as a file.
#include <algorithm>
#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <utility>

#include "mididata/messagesink.h"
#include "mididata/song.h"
#include "midiout/midigateway.h"
#include "midispec/midivocabulary.h"
#include "perform/vidize.h"

namespace {

// With 480 ticks per quarter note at 480000 microseconds per quarter note a
// tick lasts exactly one millisecond, the unit of the recorded deltas.
constexpr std::uint16_t kRecordedDivision = 480;
constexpr std::uint32_t kRecordedTempo = 480000;
constexpr std::uint8_t kSetTempo = 0x51;

// Adds the events of the recording to one track, each after those of its own tick.
class TrackFiller {
public:
    TrackFiller(midiTrack& track, std::uint8_t channel) : track_(track), channel_(channel) {}

    std::int32_t time = 0;

    void control(int controller, std::int32_t value)
    {
        auto e = std::make_unique<ControlChangeEvent>(time, channel_);
        e->controller = std::uint8_t(controller);
        e->value = std::uint8_t(value);
        insert(std::move(e));
    }
    void program(std::int32_t value)
    {
        auto e = std::make_unique<ProgramChangeEvent>(time, channel_);
        e->program = std::uint8_t(value);
        insert(std::move(e));
    }
    void note(std::uint8_t key, std::uint8_t velocity)
    {
        auto e = std::make_unique<NoteOnEvent>(time, channel_);
        e->key = key;
        e->velocity = velocity;
        insert(std::move(e));
    }
    void bend(std::int32_t value)
    {
        auto e = std::make_unique<PitchBendEvent>(time, channel_);
        e->bend = std::uint16_t(value);
        insert(std::move(e));
    }
    void insert(std::unique_ptr<anyEvent> e)
    {
        // From here on the track's reference owns the event.
        track_.insertEvent(e.get(), true);
        e.release();
    }

private:
    midiTrack& track_;
    std::uint8_t channel_;
};

// The centre note a recording starts on: the one before its first change, or
// `current` when it never changed.
std::uint8_t firstCentreNote(const std::deque<RecordEntry>& entries, std::uint8_t current)
{
    for (const RecordEntry& entry : entries)
        if (entry.kind == RecordKind::CentreNote)
            return std::uint8_t((entry.value >> 8) & 0xFF);
    return current;
}

}  // namespace

void TVidize::StartRecording()
{
    Entries.clear();
    CurrentEntry = nullptr;
    if (!RecordSnapshot())
        return;
    LastTime = clock_();
    PerformerFlags |= kRecording;
}

bool TVidize::RecordSnapshot()
{
    const std::pair<std::int32_t, std::int32_t> settings[] = {
        {RecordKind::Program, programEntryValue(ProgramNo, BankLSB, BankMSB)},
        {RecordKind::ChannelVolume, ChannelVolume},
        {RecordKind::Velocity, Velocity},
        {RecordKind::Modulation, ModulationDepth},
        {RecordKind::BendRange, PitchBendRange},
        {RecordKind::Reverb, ReverbLevel},
        {RecordKind::Chorus, ChorusLevel},
    };
    for (const auto& [kind, value] : settings) {
        if (!AppendEntry(kind, value))
            return false;
        // The settings are the state the performance starts from, not changes
        // made during it, so they take no time.
        CurrentEntry->delta = 0;
    }
    return true;
}

void TVidize::StopRecording()
{
    PerformerFlags &= ~kRecording;
}

void TVidize::BuildSong(midiSong& song)
{
    song.tracks.clearTracks();
    song.setConductor(nullptr);
    song.division = kRecordedDivision;
    auto owned = std::make_unique<midiTrack>(&song, std::int32_t(song.tracks.size()), "Orvelline");
    midiTrack* track = owned.get();
    song.addTrack(track);
    owned.release();
    song.setConductor(track);
    // The written file then starts with General MIDI System On.
    song.resetFlags = kResetGmSystemOn;

    TrackFiller add(*track, Channel);
    add.insert(std::make_unique<TempoEvent>(0, kSetTempo, kRecordedTempo));
    // The note-offs are events of their own, so the player leaves the track as it is.
    track->durationForm = false;

    // The notes sound with the velocity and on the centre note of their time.
    std::uint8_t velocity = Velocity;
    std::uint8_t note = firstCentreNote(Entries, Note);
    std::int64_t t = 0;
    for (const RecordEntry& entry : Entries) {
        // Beyond the largest tick (about 24 days) everything stays on that tick.
        t = std::min<std::int64_t>(t + entry.delta, INT32_MAX);
        add.time = std::int32_t(t);
        const std::int32_t v = entry.value;
        switch (entry.kind) {
        case RecordKind::Program:
            // A bank byte of 0xFF is a bank select that was left out (-1), not a value to send.
            if ((v & 0xFF) != kBankLeftOut)
                add.control(midi::kBankSelectMsb, v & 0xFF);
            if (((v >> 8) & 0xFF) != kBankLeftOut)
                add.control(midi::kBankSelectLsb, (v >> 8) & 0xFF);
            add.program((v >> 16) & 0xFF);
            break;
        case RecordKind::ChannelVolume: add.control(midi::kChannelVolume, v); break;
        case RecordKind::NoteOn: add.note(note, velocity); break;
        case RecordKind::NoteOff: add.note(note, 0); break;
        case RecordKind::Velocity: velocity = std::uint8_t(v); break;
        case RecordKind::CentreNote: note = std::uint8_t(v & 0xFF); break;
        case RecordKind::BendRange:
            add.control(midi::kRpnMsb, 0);
            add.control(midi::kRpnLsb, 0);
            add.control(midi::kDataEntryMsb, v);
            break;
        case RecordKind::PitchBend: add.bend(v); break;
        case RecordKind::Expression: add.control(midi::kExpression, v); break;
        case RecordKind::Modulation: add.control(midi::kModulation, v); break;
        case RecordKind::Reverb: add.control(midi::kReverbSend, v); break;
        case RecordKind::Chorus: add.control(midi::kChorusSend, v); break;
        default: break;
        }
    }
}

void TVidize::BuildSong()
{
    BuildSong(Song);
}

void TVidize::Replay()
{
    // The player may be reading Song's track right now; it must let go of it
    // before the track is rebuilt.
    if (gateway_ && gateway_->IsPlaying())
        gateway_->StopPlayback();
    BuildSong();
    if (gateway_)
        gateway_->PlayTrack(Song.conductor);
}

void TVidize::StopReplay()
{
    if (gateway_)
        gateway_->StopPlayback();
}

bool TVidize::IsReplaying() const
{
    return gateway_ && gateway_->IsPlaying();
}

bool TVidize::SaveRecording(const std::string& fileName)
{
    // A replay may be playing Song on the timer thread, so the file is built
    // from a song of its own: saving never stops or changes what plays.
    try {
        midiSong file;
        BuildSong(file);
        return file.saveToFile(fileName);
    } catch (const std::exception&) {
        reportMessage("Not enough memory to save the recording; nothing was written to " + fileName + ".");
        return false;
    }
}
