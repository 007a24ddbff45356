#pragma once
// The MIDI events a song holds: one class per kind of message, each able to read
// its body from a file image, write it to a byte stream, tell its kind code and
// describe itself as one line of text.
//
// Events are shared between lists by reference counting. Constructing an event
// takes no reference; every list slot that holds it holds one (see retain and
// release). Copies are not allowed, so a count is never copied. Events are made
// and destroyed on one thread at a time (the window thread, or the command-line
// tool's thread); the song player only reads them.
#include <array>
#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "mididata/metabytes.h"

class ByteReader;
class ByteStream;

// Kind codes (kind 12 is not used).
enum EventKind : int {
    kKindNone = 0,
    kKindMidi = 1,
    kKindMeta = 2,
    kKindSysex = 3,
    kKindChannelAfterTouch = 4,
    kKindControlChange = 5,
    kKindNoteOn = 6,
    kKindNoteOff = 7,
    kKindPolyAfter = 8,
    kKindPitchBend = 9,
    kKindProgramChange = 10,
    kKindCopyright = 11,
    kKindTrackName = 13,
    kKindTempo = 14,
    kKindTimeBeat = 15,
    kKindText = 16,
    kKindQueuePoint = 17,
    kKindPortNo = 18,
    kKindLyric = 19,
    kKindMarker = 20,
};

// The process-wide creation counter; each constructed event takes its value.
extern std::int32_t nextCreationIndex;

class anyEvent {
public:
    // A reference count at this value marks an event that releases never destroy
    // (the song's prebuilt reset messages).
    static constexpr std::int32_t kPermanent = INT32_MAX;

    anyEvent(std::int32_t t, std::uint8_t s);
    virtual ~anyEvent() = default;
    anyEvent(const anyEvent&) = delete;
    anyEvent& operator=(const anyEvent&) = delete;

    std::int32_t time;
    std::uint8_t status;
    std::uint32_t measure = 0;
    std::uint32_t beat = 0;
    std::uint32_t tick = 0;
    std::int32_t refCount = 0;
    std::int32_t creationIndex;

    // Parses the bytes after the status byte; the reader's position moves past them.
    virtual void readBody(ByteReader& in) = 0;
    // Writes the bytes after the status byte.
    virtual void writeBody(ByteStream& out) const = 0;
    virtual std::string AsText() const = 0;
    virtual bool isTrackEnd() const { return false; }
    virtual int kind() const { return kKindNone; }
    // The first byte after the status byte in a file. Files may hold data bytes
    // of 128 or more, kept as read; one of them first makes the writer repeat the
    // status byte, which a running status would leave to be read as a status.
    virtual std::uint8_t firstDataByte() const { return 0; }

    // The channel 0-15 of a channel message, -1 for meta and system-exclusive events.
    int channel() const { return status < 0xF0 ? (status & 0x0F) : -1; }

    // Text prefixes of the one-line forms: "Chn = 01 " and "001:01:000 ".
    std::string ChannelPrefix() const;
    std::string TimePrefix() const;

    void retain()
    {
        if (refCount != kPermanent)
            ++refCount;
    }
    // Drops one reference and destroys the event when none is left.
    static void release(anyEvent* e)
    {
        if (e->refCount == kPermanent)
            return;
        if (--e->refCount <= 0)
            delete e;
    }

    static void* operator new(std::size_t size);
    static void operator delete(void* p, std::size_t size);
};

// -1 when a sorts before b, 1 when after, 0 when the same place: time, then creation order.
inline int compareEvents(const anyEvent* a, const anyEvent* b)
{
    if (a->time != b->time)
        return a->time < b->time ? -1 : 1;
    if (a->creationIndex != b->creationIndex)
        return a->creationIndex < b->creationIndex ? -1 : 1;
    return 0;
}
// The sort order as a comparison object, so that sorting inlines it.
inline constexpr auto eventLess = [](const anyEvent* a, const anyEvent* b) { return compareEvents(a, b) < 0; };

class MIDIEvent : public anyEvent {
public:
    MIDIEvent(std::int32_t t, std::uint8_t s) : anyEvent(t, s) {}
    void readBody(ByteReader&) override {}
    void writeBody(ByteStream&) const override {}
    std::string AsText() const override;
    int kind() const override { return kKindMidi; }
    // Sets the first data field (controller or program); the recorder uses it.
    void setFirstData(std::uint8_t v);
};

class NoteOnEvent : public MIDIEvent {
public:
    // The channel is the low nibble of the argument, so a channel or a status byte will do.
    NoteOnEvent(std::int32_t t, std::uint8_t channelOrStatus)
        : MIDIEvent(t, std::uint8_t(0x90 | (channelOrStatus & 0x0F)))
    {}
    std::uint8_t key = 0;
    std::uint8_t velocity = 0;
    std::int32_t duration = 0;
    void readBody(ByteReader& in) override;
    void writeBody(ByteStream& out) const override;
    std::string AsText() const override;
    int kind() const override { return velocity == 0 ? kKindNoteOff : kKindNoteOn; }
    std::uint8_t firstDataByte() const override { return key; }

protected:
    NoteOnEvent(std::int32_t t, std::uint8_t s, bool) : MIDIEvent(t, s) {}
};

class NoteOffEvent : public NoteOnEvent {
public:
    NoteOffEvent(std::int32_t t, std::uint8_t channelOrStatus) : NoteOnEvent(t, channelOrStatus) {}
    void readBody(ByteReader& in) override;
    std::string AsText() const override;
    int kind() const override { return kKindNoteOff; }
};

class PolyAfterEvent : public NoteOnEvent {
public:
    PolyAfterEvent(std::int32_t t, std::uint8_t channelOrStatus)
        : NoteOnEvent(t, std::uint8_t(0xA0 | (channelOrStatus & 0x0F)), true)
    {}
    void readBody(ByteReader& in) override;
    std::string AsText() const override;
    int kind() const override { return kKindPolyAfter; }
};

class ControlChangeEvent : public MIDIEvent {
public:
    ControlChangeEvent(std::int32_t t, std::uint8_t channelOrStatus)
        : MIDIEvent(t, std::uint8_t(0xB0 | (channelOrStatus & 0x0F)))
    {}
    std::uint8_t controller = 0;
    std::uint8_t value = 0;
    void readBody(ByteReader& in) override;
    void writeBody(ByteStream& out) const override;
    std::string AsText() const override;
    int kind() const override { return kKindControlChange; }
    std::uint8_t firstDataByte() const override { return controller; }
};

class ProgramChangeEvent : public MIDIEvent {
public:
    ProgramChangeEvent(std::int32_t t, std::uint8_t channelOrStatus)
        : MIDIEvent(t, std::uint8_t(0xC0 | (channelOrStatus & 0x0F)))
    {}
    std::uint8_t program = 0;
    void readBody(ByteReader& in) override;
    void writeBody(ByteStream& out) const override;
    std::string AsText() const override;
    int kind() const override { return kKindProgramChange; }
    std::uint8_t firstDataByte() const override { return program; }
};

class ChannelAfterTouchEvent : public MIDIEvent {
public:
    ChannelAfterTouchEvent(std::int32_t t, std::uint8_t channelOrStatus)
        : MIDIEvent(t, std::uint8_t(0xD0 | (channelOrStatus & 0x0F)))
    {}
    std::uint8_t pressure = 0;
    void readBody(ByteReader& in) override;
    void writeBody(ByteStream& out) const override;
    std::string AsText() const override;
    int kind() const override { return kKindChannelAfterTouch; }
    std::uint8_t firstDataByte() const override { return pressure; }
};

class PitchBendEvent : public MIDIEvent {
public:
    PitchBendEvent(std::int32_t t, std::uint8_t channelOrStatus)
        : MIDIEvent(t, std::uint8_t(0xE0 | (channelOrStatus & 0x0F)))
    {}
    // 14 bits, 8192 is the centre: the low byte plus 128 times the high byte,
    // which a file may give values of 128 or more.
    std::uint16_t bend = 0;
    // The low byte as read had its high bit set: bend alone cannot tell
    // 0x80 0x00 from 0x00 0x01, and the bytes go back as they came.
    bool wideLow = false;
    // The low and high data bytes.
    std::array<std::uint8_t, 2> dataBytes() const
    {
        if (wideLow && bend >= 128)
            return {std::uint8_t((bend & 0x7F) | 0x80), std::uint8_t((bend >> 7) - 1)};
        return {std::uint8_t(bend & 0x7F), std::uint8_t(bend >> 7)};
    }
    void readBody(ByteReader& in) override;
    void writeBody(ByteStream& out) const override;
    std::string AsText() const override;
    int kind() const override { return kKindPitchBend; }
    std::uint8_t firstDataByte() const override { return dataBytes()[0]; }
};

class metaEvent : public anyEvent {
public:
    metaEvent(std::int32_t t, std::uint8_t type) : anyEvent(t, 0xFF), metaType(type) {}
    std::uint8_t metaType;
    // Count of data bytes written; data may hold more (see TempoEvent::tempoValue).
    std::int32_t length = 0;
    MetaBytes data;

    void readBody(ByteReader& in) override;
    void writeBody(ByteStream& out) const override;
    std::string AsText() const override;
    int kind() const override { return kKindMeta; }
    // The data as text: the characters for text events, "n n " decimals for the others.
    virtual std::string ValueText() const;

    // The first length data bytes as one big-endian number (low 32 bits).
    std::uint32_t numericValue() const;
    void setText(const std::string& text);
    // Data byte i, or 0 when the event holds fewer bytes.
    std::uint8_t dataByte(int i) const
    {
        return i >= 0 && i < length && std::size_t(i) < data.size() ? data[std::size_t(i)] : 0;
    }
    bool hasDataBytes(int n) const { return length >= n && data.size() >= std::size_t(n); }

protected:
    std::string textValue() const;
    std::string decimalValue() const;
};

class seqNumEvent : public metaEvent {
public:
    explicit seqNumEvent(std::int32_t t) : metaEvent(t, 0x00) {}
    std::string AsText() const override;
};

class textEvent : public metaEvent {
public:
    explicit textEvent(std::int32_t t) : metaEvent(t, 0x01) {}
    std::string AsText() const override;
    int kind() const override { return kKindText; }
    std::string ValueText() const override { return textValue(); }
};

class copyrightEvent : public metaEvent {
public:
    explicit copyrightEvent(std::int32_t t) : metaEvent(t, 0x02) {}
    std::string AsText() const override;
    int kind() const override { return kKindCopyright; }
    std::string ValueText() const override { return textValue(); }
};

class trackNameEvent : public metaEvent {
public:
    explicit trackNameEvent(std::int32_t t) : metaEvent(t, 0x03) {}
    std::string AsText() const override;
    int kind() const override { return kKindTrackName; }
    std::string ValueText() const override { return textValue(); }
};

class instNameEvent : public metaEvent {
public:
    explicit instNameEvent(std::int32_t t) : metaEvent(t, 0x04) {}
    std::string AsText() const override;
};

class lyricEvent : public metaEvent {
public:
    explicit lyricEvent(std::int32_t t) : metaEvent(t, 0x05) {}
    std::string AsText() const override;
    int kind() const override { return kKindLyric; }
    std::string ValueText() const override { return textValue(); }
};

class MarkerEvent : public metaEvent {
public:
    explicit MarkerEvent(std::int32_t t) : metaEvent(t, 0x06) {}
    std::string AsText() const override;
    int kind() const override { return kKindMarker; }
    std::string ValueText() const override { return textValue(); }
};

class queuePointEvent : public metaEvent {
public:
    explicit queuePointEvent(std::int32_t t) : metaEvent(t, 0x07) {}
    std::string AsText() const override;
    int kind() const override { return kKindQueuePoint; }
    std::string ValueText() const override { return textValue(); }
};

class portNoEvent : public metaEvent {
public:
    explicit portNoEvent(std::int32_t t) : metaEvent(t, 0x21) {}
    std::string AsText() const override;
    int kind() const override { return kKindPortNo; }
};

class trackEndEvent : public metaEvent {
public:
    explicit trackEndEvent(std::int32_t t) : metaEvent(t, 0x2F) {}
    std::string AsText() const override;
    bool isTrackEnd() const override { return true; }
};

class TempoEvent : public metaEvent {
public:
    explicit TempoEvent(std::int32_t t) : metaEvent(t, 0x51) {}
    // The recorder's form: three data bytes holding tempo.
    TempoEvent(std::int32_t t, std::uint8_t type, std::uint32_t tempo);
    std::string AsText() const override;
    int kind() const override { return kKindTempo; }
    // Microseconds per quarter note; 500000 when the data say 0 or are missing.
    std::uint32_t tempoValue();
    void setTempoValue(std::uint32_t v);
};

class SMPTEOffsetEvent : public metaEvent {
public:
    explicit SMPTEOffsetEvent(std::int32_t t) : metaEvent(t, 0x54) {}
    std::string AsText() const override;
};

class timeBeatEvent : public metaEvent {
public:
    explicit timeBeatEvent(std::int32_t t) : metaEvent(t, 0x58) {}
    std::string AsText() const override;
    int kind() const override { return kKindTimeBeat; }
};

class keyEvent : public metaEvent {
public:
    explicit keyEvent(std::int32_t t) : metaEvent(t, 0x59) {}
    std::string AsText() const override;
};

class sysexEvent : public anyEvent {
public:
    sysexEvent(std::int32_t t, std::uint8_t s, std::int32_t ordinal_) : anyEvent(t, s), ordinal(ordinal_) {}
    // The message after the status byte as stored in the file, normally ending with 0xF7.
    std::vector<std::uint8_t> bytes;
    std::int32_t ordinal;

    void readBody(ByteReader& in) override;
    void writeBody(ByteStream& out) const override;
    std::string AsText() const override;
    int kind() const override { return kKindSysex; }
};

// True when both hold the same bytes; the status bytes are not compared.
bool sameSysex(const sysexEvent* a, const sysexEvent* b);

// Builds the event class for a status byte (and, for 0xFF, the meta type);
// the body is read by the caller. Returns nullptr for system bytes that make no event.
anyEvent* createEvent(std::int32_t time, std::uint8_t status, std::uint8_t metaType);

// Standard MIDI File variable-length quantities. readVarLen answers -1 for a
// quantity wider than 31 bits (callers treat every negative value as broken data).
std::int32_t readVarLen(ByteReader& in);
// Writes values up to 0x0FFFFFFF in at most four bytes, larger ones in five.
void writeVarLen(std::uint32_t value, ByteStream& out);
