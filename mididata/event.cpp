#include "mididata/event.h"

#include <algorithm>
#include <new>

#include "mididata/bytereader.h"
#include "mididata/bytestream.h"
#include "mididata/eventpool.h"
#include "midispec/midivocabulary.h"

std::int32_t nextCreationIndex = 0;

anyEvent::anyEvent(std::int32_t t, std::uint8_t s) : time(t < 0 ? 0 : t), status(s), creationIndex(nextCreationIndex)
{
    // Wraps instead of overflowing; 0 stays reserved for built note-offs after a wrap.
    nextCreationIndex = nextCreationIndex == INT32_MAX ? 1 : nextCreationIndex + 1;
}

void* anyEvent::operator new(std::size_t size)
{
    return eventPoolAllocate(size);
}
void anyEvent::operator delete(void* p, std::size_t size)
{
    eventPoolFree(p, size);
}

void MIDIEvent::setFirstData(std::uint8_t v)
{
    if (auto* cc = dynamic_cast<ControlChangeEvent*>(this))
        cc->controller = v;
    else if (auto* pc = dynamic_cast<ProgramChangeEvent*>(this))
        pc->program = v;
}

void NoteOnEvent::readBody(ByteReader& in)
{
    const std::uint8_t* p = in.take(2);
    key = p[0];
    velocity = p[1];
    if (velocity == 0)
        status &= std::uint8_t(~0x10);
}

void NoteOnEvent::writeBody(ByteStream& out) const
{
    out.writeByte(key);
    out.writeByte(velocity);
}

void NoteOffEvent::readBody(ByteReader& in)
{
    const std::uint8_t* p = in.take(2);
    key = p[0];
    velocity = 0;
}

void PolyAfterEvent::readBody(ByteReader& in)
{
    const std::uint8_t* p = in.take(2);
    key = p[0];
    velocity = p[1];
}

void ControlChangeEvent::readBody(ByteReader& in)
{
    const std::uint8_t* p = in.take(2);
    controller = p[0];
    value = p[1];
}

void ControlChangeEvent::writeBody(ByteStream& out) const
{
    out.writeByte(controller);
    out.writeByte(value);
}

void ProgramChangeEvent::readBody(ByteReader& in)
{
    program = in.byte();
}
void ProgramChangeEvent::writeBody(ByteStream& out) const
{
    out.writeByte(program);
}

void ChannelAfterTouchEvent::readBody(ByteReader& in)
{
    pressure = in.byte();
}
void ChannelAfterTouchEvent::writeBody(ByteStream& out) const
{
    out.writeByte(pressure);
}

void PitchBendEvent::readBody(ByteReader& in)
{
    const std::uint8_t* p = in.take(2);
    bend = std::uint16_t(p[0] + 128 * p[1]);
    wideLow = p[0] >= 0x80;
}

void PitchBendEvent::writeBody(ByteStream& out) const
{
    const auto bytes = dataBytes();
    out.writeByte(bytes[0]);
    out.writeByte(bytes[1]);
}

void metaEvent::readBody(ByteReader& in)
{
    metaType = in.byte();
    const std::int32_t n = readVarLen(in);
    if (n < 0)
        throw MidiDataError("Data may have been broken.");
    length = n;
    if (n > 0) {
        // take() checks that the bytes exist before anything is allocated for them.
        const std::uint8_t* p = in.take(std::size_t(n));
        data.assign(p, p + n);
    }
}

void metaEvent::writeBody(ByteStream& out) const
{
    out.writeByte(metaType);
    writeVarLen(std::uint32_t(length), out);
    for (std::int32_t i = 0; i < length; ++i)
        out.writeByte(dataByte(i));
}

std::string metaEvent::ValueText() const
{
    return decimalValue();
}

std::string metaEvent::textValue() const
{
    const std::size_t n = length > 0 ? std::min(std::size_t(length), data.size()) : 0;
    return std::string(reinterpret_cast<const char*>(data.data()), n);
}

std::string metaEvent::decimalValue() const
{
    std::string s;
    for (std::int32_t i = 0; i < length && std::size_t(i) < data.size(); ++i) {
        s += std::to_string(data[std::size_t(i)]);
        s += ' ';
    }
    return s;
}

std::uint32_t metaEvent::numericValue() const
{
    std::uint32_t v = 0;
    for (std::int32_t i = 0; i < length && std::size_t(i) < data.size(); ++i)
        v = (v << 8) + data[std::size_t(i)];
    return v;
}

void metaEvent::setText(const std::string& text)
{
    data.assign(text.begin(), text.end());
    length = std::int32_t(text.size());
}

TempoEvent::TempoEvent(std::int32_t t, std::uint8_t type, std::uint32_t tempo) : metaEvent(t, type)
{
    data.assign(3, 0);
    length = 3;
    setTempoValue(tempo);
}

std::uint32_t TempoEvent::tempoValue()
{
    if (length == 0)
        data = {0x07, 0xA1, 0x20};
    const std::uint32_t v = numericValue();
    return v == 0 ? std::uint32_t(midi::kDefaultTempo) : v;
}

void TempoEvent::setTempoValue(std::uint32_t v)
{
    if (data.size() < 3)
        data.resize(3);
    data[0] = std::uint8_t(v >> 16);
    data[1] = std::uint8_t(v >> 8);
    data[2] = std::uint8_t(v);
}

void sysexEvent::readBody(ByteReader& in)
{
    const std::int32_t n = readVarLen(in);
    if (n < 0)
        throw MidiDataError("Data may have been broken.");
    const std::uint8_t* p = in.take(std::size_t(n));
    bytes.insert(bytes.end(), p, p + n);
}

void sysexEvent::writeBody(ByteStream& out) const
{
    writeVarLen(std::uint32_t(bytes.size()), out);
    out.write(bytes.data(), bytes.size());
}

bool sameSysex(const sysexEvent* a, const sysexEvent* b)
{
    return a->bytes == b->bytes;
}

anyEvent* createEvent(std::int32_t time, std::uint8_t status, std::uint8_t metaType)
{
    switch (status & 0xF0) {
    case 0x80: return new NoteOffEvent(time, status);
    case 0x90: return new NoteOnEvent(time, status);
    case 0xA0: return new PolyAfterEvent(time, status);
    case 0xB0: return new ControlChangeEvent(time, status);
    case 0xC0: return new ProgramChangeEvent(time, status);
    case 0xD0: return new ChannelAfterTouchEvent(time, status);
    case 0xE0: return new PitchBendEvent(time, status);
    default: break;
    }
    if (status == 0xF0 || status == 0xF7)
        return new sysexEvent(time, status, 0);
    if (status != 0xFF)
        return nullptr;
    switch (metaType) {
    case 0x00: return new seqNumEvent(time);
    case 0x01: return new textEvent(time);
    case 0x02: return new copyrightEvent(time);
    case 0x03: return new trackNameEvent(time);
    case 0x04: return new instNameEvent(time);
    case 0x05: return new lyricEvent(time);
    case 0x06: return new MarkerEvent(time);
    case 0x07: return new queuePointEvent(time);
    case 0x21: return new portNoEvent(time);
    case 0x2F: return new trackEndEvent(time);
    case 0x51: return new TempoEvent(time);
    case 0x54: return new SMPTEOffsetEvent(time);
    case 0x58: return new timeBeatEvent(time);
    case 0x59: return new keyEvent(time);
    default: return new metaEvent(time, metaType);
    }
}

std::int32_t readVarLen(ByteReader& in)
{
    std::uint64_t v = 0;
    bool tooWide = false;
    for (;;) {
        const std::uint8_t b = in.byte();
        v = (v << 7) | (b & 0x7F);
        if (v > std::uint64_t(INT32_MAX)) {
            tooWide = true;
            v &= 0xFFFFFFFFull;  // keep shifting bounded; the result is refused anyway
        }
        if (!(b & 0x80))
            break;
    }
    return tooWide ? -1 : std::int32_t(v);
}

void writeVarLen(std::uint32_t value, ByteStream& out)
{
    std::uint64_t buffer = value & 0x7F;
    while (value >= 128) {
        value >>= 7;
        buffer = (buffer << 8) | (value & 0x7F) | 0x80;
    }
    for (;;) {
        const std::uint8_t b = std::uint8_t(buffer);
        out.writeByte(b);
        if (!(b & 0x80))
            break;
        buffer >>= 8;
    }
}
