#pragma once
// A song: what a Standard MIDI File becomes in memory and what a recorded
// performance becomes before it is saved. Holds the header values, the tracks,
// and the indexes the player and the main window consult: tempo map (the first
// track), time and key signatures, system-exclusive messages, copyright, the
// reset messages the file asked for, and the bar starts.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "mididata/barstarts.h"
#include "mididata/event.h"
#include "mididata/track.h"
#include "mididata/trackcontext.h"
#include "midispec/midivocabulary.h"

class ByteStream;

struct MusicalPosition {
    std::uint32_t measure;
    std::uint32_t beat;
    std::uint32_t tick;
};

struct Meter {
    std::int64_t ticksPerBeat;
    std::int64_t beatsPerBar;
};

// The bits of midiSong::resetFlags: which reset messages a song holds.
constexpr std::uint32_t kResetGmSystemOn = 1;
constexpr std::uint32_t kResetGsReset = 2;
constexpr std::uint32_t kResetXgSystemOn = 4;

class midiSong;

// Musical positions of times that mostly come in order: it keeps the meter and
// the run of bars of the last time, so positioning a whole track costs a few
// divisions per event. Any time may be asked, in any order.
class PositionCursor {
public:
    // Indexes the song's time signatures as they are now.
    explicit PositionCursor(const midiSong& song);
    MusicalPosition at(std::int32_t time);

private:
    const midiSong& song_;
    std::int64_t from_ = 1, until_ = 0;  // the times the cached values hold for
    BarStarts::Span bars_{};
    Meter meter_{};
    std::int64_t bar_ = -1;                    // the bar of the last time, within bars_
    std::size_t meterHint_ = 0, runHint_ = 0;  // where the last lookups ended
    std::int64_t barStart_ = 0;
    void reload(std::int64_t time);
};

// Stores the position of the event's time in the event.
void setPositionFrom(PositionCursor& cursor, anyEvent* e);

class midiSong : public TrackContext {
public:
    midiSong();
    virtual ~midiSong();
    midiSong(const midiSong&) = delete;
    midiSong& operator=(const midiSong&) = delete;

    std::int32_t songLength = 0;
    std::int32_t firstNoteTime = 0;
    std::int32_t fileSize = 0;
    std::int16_t format = 0;
    midiTracks tracks;
    midiTrack* conductor = nullptr;              // the first track read: the tempo map
    std::vector<timeBeatEvent*> timeSignatures;  // in the order read, not counted
    std::int16_t trackCount = 0;
    // The prebuilt reset messages; releases never destroy them.
    sysexEvent* gmSystemOn = nullptr;
    sysexEvent* xgSystemOn = nullptr;
    sysexEvent* gsReset = nullptr;
    sysexEvent* gsModeSet1 = nullptr;
    sysexEvent* gsModeSet2 = nullptr;
    // The first copyright read; when a file holds several, an event of the song's
    // own at the first one's time holding all their texts joined by spaces, so
    // that the events in the tracks keep their own texts when written again.
    copyrightEvent* copyright = nullptr;
    std::int32_t tempo = midi::kDefaultTempo;
    std::vector<sysexEvent*> sysexEvents;  // read, other than the reset messages; not counted
    std::vector<keyEvent*> keySignatures;
    std::uint32_t resetFlags = 0;  // kResetGmSystemOn | kResetGsReset | kResetXgSystemOn
    // Data bytes of 128 or more in the channel messages the last load read.
    // Some editors write them; they are kept as read and limited to 127 only
    // on the way to a device.
    std::size_t highDataBytes = 0;
    BarStarts barStarts;
    std::string fileName;

    // Appends a track, which the song owns from now on, and answers it.
    midiTrack* addTrack(midiTrack* track);
    // The track that holds the tempo map (one of the song's own, or none).
    void setConductor(midiTrack* track) { conductor = track; }

    void reset();
    // Destroys the tracks and empties the indexes that point into them; the
    // header values and the bar starts stay.
    void forgetContent();
    // Reads a Standard MIDI File (format 0 or 1). Raises MidiDataError with the
    // reader's message; a file that cannot be opened raises one naming the file.
    void load(const std::string& path);
    // The same from a file image in memory.
    void loadFromMemory(const std::uint8_t* data, std::size_t size);
    // Writes the song as a Standard MIDI File; raises MidiDataError
    // "Dooh! Save failed. '.mid' file may be broken." when anything fails.
    virtual void save(ByteStream& stream);
    // Writes the file whole or not at all (an existing file is replaced only by a
    // complete new one). Reports a failure through the message sink and answers false.
    bool saveToFile(const std::string& path);

    void buildBarStarts();
    // Bar starts from 0 up to the first one after `end`.
    void buildBarStartsUntil(std::int64_t end);
    MusicalPosition positionOf(std::int32_t time) const;
    void setPosition(anyEvent* e) const override;
    std::unique_ptr<EventPositioner> positioner() const override;
    bool isPrebuiltReset(const anyEvent* e) const override;
    Meter meterAt(std::int32_t time) const;
    std::int32_t tempoAt(std::int32_t time);
    keyEvent* keyAt(std::int32_t time) const;
    void markRhythmTracks();
    // Shows `text` as the copyright: an event of the song's own at the time and
    // position of the current copyright (which must be set); the events in the
    // tracks keep their own texts.
    void showJoinedCopyright(const std::string& text);

private:
    void buildPrebuiltMessages();
    void destroyPrebuiltMessages();
    copyrightEvent* joinedCopyright_ = nullptr;  // held with one reference
    void writeHeader(ByteStream& stream, std::size_t chunks) const;
    // The time signatures are a public list that anyone may change, so the index
    // is built afresh by every operation that uses it.
    void rebuildMeterIndex() const;
    Meter indexedMeterAt(std::int64_t time) const;
    // How many signatures the scan for `time` passes (hint: the last answer),
    // and the meter they leave.
    std::size_t meterStop(std::int64_t time, std::size_t hint) const;
    Meter meterAtStop(std::size_t stop) const;
    // The interval of times for which the meter of that stop holds.
    void meterSpan(std::size_t stop, std::int64_t& from, std::int64_t& until) const;

    // The largest time among the first i+1 time signatures.
    mutable std::vector<std::int32_t> meterPrefixMax_;

    friend class PositionCursor;
};

// What reading the song found worth telling the user, or nothing: the number of
// data bytes of 128 or more it holds ("holds 5 data bytes above 127, kept as read
// and sent to a device as 127").
std::string highDataBytesNote(const midiSong& song);
