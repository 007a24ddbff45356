// The one-line text forms of the events, for track listings.
#include <algorithm>
#include <cstddef>

#include "mididata/event.h"
#include "mididata/textformat.h"
#include "mididata/xgnames.h"
#include "midispec/midispec.h"
#include "midispec/midivocabulary.h"

namespace {

constexpr std::uint8_t kYamahaId = 0x43;

// Data bytes the event really holds: length may claim more than data carries.
std::size_t heldDataCount(const metaEvent& e)
{
    return e.length > 0 ? std::min(std::size_t(e.length), e.data.size()) : 0;
}

}  // namespace

std::string anyEvent::ChannelPrefix() const
{
    return FormatText("Chn = %2.2d ", {(status & 0x0F) + 1});
}

std::string anyEvent::TimePrefix() const
{
    // Measure and beat are counted from 0 but shown from 1; widen so the largest
    // stored value cannot wrap.
    return FormatText("%3.3d:%2.2d:%3.3d ", {std::int64_t(measure) + 1, std::int64_t(beat) + 1, std::int64_t(tick)});
}

std::string MIDIEvent::AsText() const
{
    return ChannelPrefix();
}

std::string NoteOnEvent::AsText() const
{
    if (velocity == 0)
        return ChannelPrefix() + FormatText("Note OFF(Vel = 0):Key %3.3d[%s]", {key, NoteName(key)});
    return ChannelPrefix() +
           FormatText("Note ON:Key %3.3d[%s] Vel = %3.3d Dur = %4.4d", {key, NoteName(key), velocity, duration});
}

std::string NoteOffEvent::AsText() const
{
    return ChannelPrefix() + FormatText("Note OFF:Key %3d Vel = %3d ", {key, velocity});
}

std::string PolyAfterEvent::AsText() const
{
    return ChannelPrefix() + FormatText("Poly Aft:Key %3d Vel = %3d ", {key, velocity});
}

std::string ControlChangeEvent::AsText() const
{
    return ChannelPrefix() + FormatText("Ctrl Chg:Data %3d ", {value}) + ControllerName(controller);
}

std::string ProgramChangeEvent::AsText() const
{
    return ChannelPrefix() + FormatText("Prog Chg:Prog No %3d ", {program}) + ProgramName(program);
}

std::string ChannelAfterTouchEvent::AsText() const
{
    return ChannelPrefix() + FormatText("Chnl Aft:Value %3d ", {pressure});
}

std::string PitchBendEvent::AsText() const
{
    return ChannelPrefix() + FormatText("PitchBend:Value %5d ", {int(bend) - midi::kBendCentre});
}

std::string metaEvent::AsText() const
{
    return TimePrefix() + FormatText("Meta Event:Type =%2x ", {metaType}) +
           HexBytesText(data.data(), heldDataCount(*this));
}

std::string seqNumEvent::AsText() const
{
    return FormatText("Sequence Number =%5d ", {numericValue()});
}

std::string textEvent::AsText() const
{
    return "Text:<" + textValue() + ">";
}

std::string copyrightEvent::AsText() const
{
    return "Copyright:<" + textValue() + ">";
}

std::string trackNameEvent::AsText() const
{
    return "Track Name:<" + textValue() + ">";
}

std::string instNameEvent::AsText() const
{
    return "Inst Name:<" + textValue() + ">";
}

std::string lyricEvent::AsText() const
{
    return "Lyrics:<" + textValue() + ">";
}

std::string MarkerEvent::AsText() const
{
    return "Marker:<" + textValue() + ">";
}

std::string queuePointEvent::AsText() const
{
    return "Queue Point:<" + textValue() + ">";
}

std::string portNoEvent::AsText() const
{
    return FormatText("Port No.:<%d>", {numericValue()});
}

std::string trackEndEvent::AsText() const
{
    return "Track end: ";
}

std::string TempoEvent::AsText() const
{
    return FormatText("Tempo = %4d usec/beat", {numericValue()});
}

std::string SMPTEOffsetEvent::AsText() const
{
    // Byte 4, the fractional frames, is left out of the line.
    return FormatText("SMPTE Offset hr:%3d mn:%3d sec:%3d frm:%3d ",
                      {dataByte(0), dataByte(1), dataByte(2), dataByte(3)});
}

std::string timeBeatEvent::AsText() const
{
    // The exponent is a file byte; keep the shift inside 32 bits.
    const std::uint32_t denominator = std::uint32_t(1) << (dataByte(1) % 32u);
    return FormatText("Time: %d/%d p3 = %d p4 = %d", {dataByte(0), denominator, dataByte(2), dataByte(3)});
}

std::string keyEvent::AsText() const
{
    // A missing byte must not read as C major; mode -1 makes KeyName show the raw values.
    const int sf = hasDataBytes(1) ? int(std::int8_t(dataByte(0))) : 0;
    const int mode = hasDataBytes(2) ? int(dataByte(1)) : -1;
    return KeyName(sf, mode);
}

std::string sysexEvent::AsText() const
{
    std::string text = FormatText("Sysex:Length %5d = ", {bytes.size()}) + HexBytesText(bytes.data(), bytes.size());
    if (!bytes.empty() && bytes[0] == kYamahaId)
        text += XgParameterName(*this);
    return text;
}
