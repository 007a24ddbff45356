#include "perform/takerecovery.h"

#include <cstdint>
#include <exception>
#include <system_error>

#include "mididata/messagesink.h"
#include "mididata/midierror.h"
#include "mididata/song.h"
#include "midispec/midivocabulary.h"
#include "perform/vidize.h"

namespace {

// Turns the events of a recorded track back into entries, one event after
// the other; the first entry of a tick carries the time since the last one.
class EntryMaker {
public:
    std::deque<RecordEntry> entries;

    void at(std::int32_t time) { time_ = time; }
    void add(std::int32_t kind, std::int32_t value)
    {
        entries.push_back(RecordEntry{std::uint32_t(time_ - last_), kind, value});
        last_ = time_;
    }
    void control(std::uint8_t controller, std::uint8_t value)
    {
        switch (controller) {
        case midi::kBankSelectMsb: bankMsb_ = value; break;
        case midi::kBankSelectLsb: bankLsb_ = value; break;
        case midi::kChannelVolume: add(RecordKind::ChannelVolume, value); break;
        // Controllers 101 and 100 only say that the data entry is the bend range.
        case midi::kDataEntryMsb: add(RecordKind::BendRange, value); break;
        case midi::kExpression: add(RecordKind::Expression, value); break;
        case midi::kModulation: add(RecordKind::Modulation, value); break;
        case midi::kReverbSend: add(RecordKind::Reverb, value); break;
        case midi::kChorusSend: add(RecordKind::Chorus, value); break;
        default: break;
        }
    }
    // The bank selects that stand before a program change belong to it.
    void program(std::uint8_t program)
    {
        add(RecordKind::Program, programEntryValue(program, bankLsb_, bankMsb_));
        bankMsb_ = bankLsb_ = kBankLeftOut;
    }
    void note(std::uint8_t key, std::uint8_t velocity)
    {
        // The first note names the centre note the take starts on, even when it is not a change.
        if (key != note_)
            add(RecordKind::CentreNote, centreNoteEntryValue(note_ < 0 ? key : std::uint8_t(note_), key));
        note_ = key;
        if (velocity == 0) {
            add(RecordKind::NoteOff, 0);
            return;
        }
        if (velocity != velocity_)
            add(RecordKind::Velocity, velocity);
        velocity_ = velocity;
        add(RecordKind::NoteOn, 0);
    }

private:
    std::int32_t time_ = 0;
    std::int32_t last_ = 0;
    std::uint8_t bankMsb_ = kBankLeftOut;
    std::uint8_t bankLsb_ = kBankLeftOut;
    int note_ = -1;
    int velocity_ = -1;
};

}  // namespace

bool writeTakeFile(TVidize& performer, const std::filesystem::path& path)
{
    return performer.SaveRecording(path.string());
}

std::deque<RecordEntry> entriesOfTrack(const midiTrack& track)
{
    EntryMaker make;
    for (const anyEvent* e : track.items()) {
        if (e == nullptr)
            continue;
        make.at(e->time);
        switch (e->kind()) {
        case kKindControlChange: {
            const auto* c = static_cast<const ControlChangeEvent*>(e);
            make.control(c->controller, c->value);
            break;
        }
        case kKindProgramChange: make.program(static_cast<const ProgramChangeEvent*>(e)->program); break;
        case kKindNoteOn:
        case kKindNoteOff: {
            const auto* n = static_cast<const NoteOnEvent*>(e);
            make.note(n->key, e->kind() == kKindNoteOff ? 0 : n->velocity);
            break;
        }
        case kKindPitchBend: make.add(RecordKind::PitchBend, static_cast<const PitchBendEvent*>(e)->bend); break;
        default: break;
        }
    }
    return std::move(make.entries);
}

std::deque<RecordEntry> readTakeFile(const std::filesystem::path& path)
{
    midiSong song;
    song.load(path.string());
    // A take is one voice: the first track that holds channel events.
    for (midiTrack* track : song.tracks) {
        if (track->channels == 0)
            continue;
        track->expandDurations();
        return entriesOfTrack(*track);
    }
    throw MidiDataError("The file holds no take: it has no notes or controllers.");
}

void TakeRecovery::keep(TVidize& performer)
{
    if (file_.empty() || failed_ || performer.Entries.size() == written_)
        return;
    if (!writeTakeFile(performer, file_)) {
        failed_ = true;
        return;
    }
    written_ = performer.Entries.size();
}

void TakeRecovery::remove()
{
    if (file_.empty())
        return;
    std::error_code ignored;
    std::filesystem::remove(file_, ignored);
    takeChanged();
}

std::filesystem::path TakeRecovery::setAside()
{
    std::filesystem::path aside = file_;
    aside += ".unreadable";
    std::error_code error;
    std::filesystem::rename(file_, aside, error);
    return error ? file_ : aside;
}
