#include "perform/takerecovery.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

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

// The writing thread and what is handed to it. The mirror is a performer of
// its own (no gateway) whose recording grows by what each hand-over brings.
struct TakeRecovery::Writer {
    std::mutex mutex;
    std::condition_variable wake;  // work for the thread, or the end
    std::condition_variable idle;  // nothing is waiting or being written
    std::vector<RecordEntry> handed;
    bool restart = false;  // the hand-over begins a new take
    std::uint8_t channel = 0, velocity = 0, note = 0;
    bool pending = false;
    bool writing = false;
    bool failed = false;
    bool ending = false;
    std::filesystem::path file;
    TVidize mirror;
    std::thread thread;

    void run()
    {
        std::unique_lock<std::mutex> lock(mutex);
        for (;;) {
            wake.wait(lock, [this] { return pending || ending; });
            if (!pending)
                break;
            if (restart)
                mirror.Entries.clear();
            mirror.Entries.insert(mirror.Entries.end(), handed.begin(), handed.end());
            handed.clear();
            restart = false;
            pending = false;
            mirror.Channel = channel;
            mirror.Velocity = velocity;
            mirror.Note = note;
            writing = true;
            const std::filesystem::path target = file;
            lock.unlock();
            const bool written = writeTakeFile(mirror, target);
            lock.lock();
            writing = false;
            failed = failed || !written;
            if (!pending)
                idle.notify_all();
        }
    }
    // With the lock held.
    void waitUntilIdle(std::unique_lock<std::mutex>& lock)
    {
        idle.wait(lock, [this] { return !pending && !writing; });
    }
};

TakeRecovery::TakeRecovery() = default;

TakeRecovery::~TakeRecovery()
{
    if (!writer_)
        return;
    {
        std::lock_guard<std::mutex> lock(writer_->mutex);
        writer_->ending = true;
    }
    writer_->wake.notify_all();
    writer_->thread.join();
}

void TakeRecovery::takeChanged()
{
    handed_ = 0;
    fresh_ = true;
    if (!writer_)
        return;
    std::lock_guard<std::mutex> lock(writer_->mutex);
    writer_->failed = false;
}

void TakeRecovery::takeIsInFile(std::size_t entries)
{
    takeChanged();
    handed_ = entries;
}

void TakeRecovery::keep(const TVidize& performer)
{
    const std::size_t size = performer.Entries.size();
    if (file_.empty() || size == handed_)
        return;
    if (!writer_) {
        writer_ = std::make_unique<Writer>();
        writer_->thread = std::thread([writer = writer_.get()] { writer->run(); });
    }
    // A take set in the file (restored) grows only as a new take, which starts afresh.
    const std::size_t from = fresh_ ? 0 : handed_;
    {
        std::lock_guard<std::mutex> lock(writer_->mutex);
        if (writer_->failed)
            return;
        if (fresh_) {
            writer_->handed.clear();
            writer_->restart = true;
        }
        writer_->handed.insert(writer_->handed.end(), performer.Entries.begin() + std::ptrdiff_t(from),
                               performer.Entries.end());
        writer_->channel = performer.Channel;
        writer_->velocity = performer.Velocity;
        writer_->note = performer.Note;
        writer_->file = file_;
        writer_->pending = true;
    }
    writer_->wake.notify_all();
    handed_ = size;
    fresh_ = false;
}

void TakeRecovery::flush()
{
    if (!writer_)
        return;
    std::unique_lock<std::mutex> lock(writer_->mutex);
    writer_->waitUntilIdle(lock);
}

void TakeRecovery::remove()
{
    if (file_.empty())
        return;
    if (writer_) {
        std::unique_lock<std::mutex> lock(writer_->mutex);
        writer_->pending = false;
        writer_->handed.clear();
        writer_->waitUntilIdle(lock);
    }
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
