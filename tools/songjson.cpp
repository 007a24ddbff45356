#include "tools/songjson.h"

#include <ostream>

#include "mididata/song.h"
#include "tools/jsontext.h"
#include "tools/loadsong.h"

namespace {

void writeBytes(std::ostream& out, const std::uint8_t* p, std::size_t n)
{
    out << '[';
    for (std::size_t i = 0; i < n; ++i)
        out << (i ? "," : "") << unsigned(p[i]);
    out << ']';
}

void writeEventData(const anyEvent& e, std::ostream& out)
{
    switch (e.kind()) {
    case kKindNoteOn:
    case kKindNoteOff:
    case kKindPolyAfter: {
        const auto& n = static_cast<const NoteOnEvent&>(e);
        out << ",\"key\":" << unsigned(n.key) << ",\"velocity\":" << unsigned(n.velocity);
        if (e.kind() == kKindNoteOn)
            out << ",\"duration\":" << n.duration;
        return;
    }
    case kKindControlChange: {
        const auto& c = static_cast<const ControlChangeEvent&>(e);
        out << ",\"controller\":" << unsigned(c.controller) << ",\"value\":" << unsigned(c.value);
        return;
    }
    case kKindProgramChange:
        out << ",\"program\":" << unsigned(static_cast<const ProgramChangeEvent&>(e).program);
        return;
    case kKindChannelAfterTouch:
        out << ",\"pressure\":" << unsigned(static_cast<const ChannelAfterTouchEvent&>(e).pressure);
        return;
    case kKindPitchBend: out << ",\"bend\":" << static_cast<const PitchBendEvent&>(e).bend; return;
    case kKindSysex: {
        const auto& s = static_cast<const sysexEvent&>(e);
        out << ",\"bytes\":";
        writeBytes(out, s.bytes.data(), s.bytes.size());
        return;
    }
    default: break;
    }
    if (e.status == 0xFF) {
        const auto& m = static_cast<const metaEvent&>(e);
        const std::size_t n = std::min(m.data.size(), std::size_t(std::max(m.length, 0)));
        out << ",\"metaType\":" << unsigned(m.metaType) << ",\"data\":";
        writeBytes(out, m.data.data(), n);
    }
}

void writeTrack(const midiTrack& t, std::ostream& out)
{
    out << "{\"number\":" << t.number << ",\"name\":" << jsonQuoted(t.name) << ",\"label\":" << jsonQuoted(t.label)
        << ",\"channels\":[";
    bool first = true;
    for (int n = 0; n < 16; ++n) {
        if (!(t.channels & (1u << n)))
            continue;
        out << (first ? "" : ",") << n;
        first = false;
    }
    out << "],\"endTime\":" << t.endTime << ",\"firstNoteTime\":" << t.firstNoteTime << ",\"port\":" << t.port
        << ",\"rhythm\":" << (t.rhythm ? "true" : "false") << ",\"events\":[";
    first = true;
    for (const anyEvent* e : t.items()) {
        if (!e)
            continue;
        out << (first ? "\n" : ",\n") << "{\"time\":" << e->time << ",\"status\":" << unsigned(e->status)
            << ",\"kind\":" << e->kind() << ",\"measure\":" << e->measure << ",\"beat\":" << e->beat
            << ",\"tick\":" << e->tick;
        writeEventData(*e, out);
        out << '}';
        first = false;
    }
    out << "]}";
}

}  // namespace

void writeSongJson(midiSong& song, std::ostream& out)
{
    out << "{\"format\":" << song.format << ",\"division\":" << song.division << ",\"trackCount\":" << song.trackCount
        << ",\"songLength\":" << song.songLength << ",\"firstNoteTime\":" << song.firstNoteTime
        << ",\"resetFlags\":" << song.resetFlags << ",\"tempoAt0\":" << song.tempoAt(0) << ",\"keyAt1\":";
    const keyEvent* key = song.keyAt(1);
    if (key && key->hasDataBytes(2))
        out << "{\"sf\":" << int(std::int8_t(key->dataByte(0))) << ",\"mode\":" << unsigned(key->dataByte(1)) << '}';
    else
        out << "null";
    out << ",\"barStarts\":" << song.barStarts.count() << ",\"copyright\":";
    if (song.copyright)
        out << jsonQuoted(song.copyright->ValueText());
    else
        out << "null";
    out << ",\"tracks\":[";
    for (std::size_t i = 0; i < song.tracks.size(); ++i) {
        out << (i ? ",\n" : "\n");
        writeTrack(*song.tracks[i], out);
    }
    out << "]}\n";
}

int runJsonCommand(const std::string& path, std::ostream& out, std::ostream& err)
{
    midiSong song;
    if (!loadSong(song, path, err))
        return 1;
    writeSongJson(song, out);
    return 0;
}
