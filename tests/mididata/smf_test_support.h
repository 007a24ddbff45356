#pragma once
// Shared helpers of the song data tests: building Standard MIDI File images
// byte by byte (independent of the program's own writer), loading them and
// saving songs to memory, a text description of a song's whole content that
// two songs can be compared by, and temporary folders for the file tests.
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>

#include "mididata/bytestream.h"
#include "mididata/event.h"
#include "mididata/midierror.h"
#include "mididata/song.h"
#include "mididata/track.h"

namespace smftest {

using Bytes = std::vector<std::uint8_t>;

inline Bytes join(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

inline Bytes be32(std::uint32_t v)
{
    return {std::uint8_t(v >> 24), std::uint8_t(v >> 16), std::uint8_t(v >> 8), std::uint8_t(v)};
}

// A variable-length quantity, written here independently of the program's writer.
inline Bytes vlq(std::uint32_t v)
{
    Bytes out{std::uint8_t(v & 0x7F)};
    while (v >>= 7)
        out.insert(out.begin(), std::uint8_t(0x80 | (v & 0x7F)));
    return out;
}

// Event bytes at absolute times, turned into delta-timed track events (stable by time).
inline Bytes timed(std::vector<std::pair<std::int32_t, Bytes>> events)
{
    std::stable_sort(events.begin(), events.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    Bytes out;
    std::int32_t last = 0;
    for (const auto& [time, bytes] : events) {
        const Bytes d = vlq(std::uint32_t(time - last));
        out.insert(out.end(), d.begin(), d.end());
        out.insert(out.end(), bytes.begin(), bytes.end());
        last = time;
    }
    return out;
}

// "MThd", length 6, format, number of tracks, division.
inline Bytes header(std::uint16_t format, std::uint16_t tracks, std::uint16_t division = 480)
{
    return {'M',
            'T',
            'h',
            'd',
            0,
            0,
            0,
            6,
            std::uint8_t(format >> 8),
            std::uint8_t(format),
            std::uint8_t(tracks >> 8),
            std::uint8_t(tracks),
            std::uint8_t(division >> 8),
            std::uint8_t(division)};
}

// A track chunk holding exactly the given event bytes.
inline Bytes chunk(const Bytes& events)
{
    return join({{'M', 'T', 'r', 'k'}, be32(std::uint32_t(events.size())), events});
}

inline const Bytes kEndOfTrack = {0x00, 0xFF, 0x2F, 0x00};

// A track chunk whose events are followed by End of Track at delta 0.
inline Bytes track(const Bytes& events)
{
    return chunk(join({events, kEndOfTrack}));
}

// A whole file: the header and one ended track chunk per event list.
inline Bytes smf(std::uint16_t format, std::initializer_list<Bytes> tracks, std::uint16_t division = 480)
{
    Bytes out = header(format, std::uint16_t(tracks.size()), division);
    for (const Bytes& t : tracks) {
        const Bytes c = track(t);
        out.insert(out.end(), c.begin(), c.end());
    }
    return out;
}

// Two tracks with one of most kinds of event: names, copyright, tempo, meter,
// key, GM System On, port, program, controllers, a sysex, notes ended by note-offs,
// by a note-on of velocity 0, on their own tick and by All Notes Off.
inline Bytes richFile()
{
    return smf(1, {
                      {0x00, 0xFF, 0x03, 0x05, 'T',  'e',  'm',  'p',  'o',  0x00, 0xFF, 0x02, 0x01, 'A',
                       0x00, 0xFF, 0x51, 0x03, 0x09, 0x27, 0xC0, 0x00, 0xFF, 0x58, 0x04, 0x03, 0x02, 0x18,
                       0x08, 0x00, 0xFF, 0x59, 0x02, 0xFD, 0x01, 0x00, 0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01,
                       0xF7, 0x00, 0xFF, 0x21, 0x01, 0x01, 0x87, 0x40, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20},
                      {0x00, 0xFF, 0x03, 0x05, 'P',  'i',  'a',  'n',  'o',  0x00, 0xC0, 0x05, 0x00, 0xB0, 0x07,
                       0x64, 0x00, 0xF0, 0x0A, 0x41, 0x10, 0x42, 0x12, 0x00, 0x00, 0x7F, 0x00, 0x01, 0xF7, 0x00,
                       0x90, 0x3C, 0x64, 0x00, 0x40, 0x50, 0x83, 0x60, 0x80, 0x3C, 0x40, 0x00, 0x90, 0x40, 0x00,
                       0x00, 0xE0, 0x00, 0x40, 0x00, 0xD0, 0x30, 0x00, 0xA0, 0x3C, 0x10, 0x00, 0x91, 0x3E, 0x64,
                       0x00, 0x81, 0x3E, 0x00, 0x83, 0x60, 0x92, 0x45, 0x64, 0x83, 0x60, 0xB2, 0x7B, 0x00},
                  });
}

inline void loadImage(midiSong& song, const Bytes& image)
{
    song.loadFromMemory(image.data(), image.size());
}

// The reader's message for an image, "" when the image loads.
inline std::string loadMessage(midiSong& song, const Bytes& image)
{
    try {
        loadImage(song, image);
    } catch (const MidiDataError& e) {
        return e.what();
    }
    return "";
}

inline std::string loadMessage(const Bytes& image)
{
    midiSong song;
    return loadMessage(song, image);
}

inline Bytes saveImage(midiSong& song)
{
    ByteStream stream;
    song.save(stream);
    return stream.bytes();
}

// The event bytes of the track chunk at index n of a file image ("MTrk" and length left out).
inline Bytes trackBody(const Bytes& image, std::size_t n)
{
    std::size_t p = 14;
    for (std::size_t i = 0;; ++i) {
        if (p + 8 > image.size())
            return {};
        const std::size_t len = (std::size_t(image[p + 4]) << 24) | (std::size_t(image[p + 5]) << 16) |
                                (std::size_t(image[p + 6]) << 8) | image[p + 7];
        if (i == n) {
            if (p + 8 + len > image.size())
                return {};
            return Bytes(image.begin() + std::ptrdiff_t(p + 8), image.begin() + std::ptrdiff_t(p + 8 + len));
        }
        p += 8 + len;
    }
}

template <class T>
T* eventAs(const midiTrack& t, std::size_t i)
{
    return i < t.size() ? dynamic_cast<T*>(t.at(i)) : nullptr;
}

// Events made in memory, as the editing operations take them (owned by
// whichever track they are added to).
inline NoteOnEvent* note(std::int32_t t, int ch, int key, int velocity = 100, std::int32_t duration = 0)
{
    auto* e = new NoteOnEvent(t, std::uint8_t(ch));
    e->key = std::uint8_t(key);
    e->velocity = std::uint8_t(velocity);
    e->duration = duration;
    return e;
}

// A note-off as the reader builds it from a note-on of velocity 0: status 8n.
inline NoteOnEvent* silentOn(std::int32_t t, int ch, int key)
{
    auto* e = note(t, ch, key, 0);
    e->status = std::uint8_t(0x80 | ch);
    return e;
}

inline ControlChangeEvent* control(std::int32_t t, int ch, int controller, int value)
{
    auto* e = new ControlChangeEvent(t, std::uint8_t(ch));
    e->controller = std::uint8_t(controller);
    e->value = std::uint8_t(value);
    return e;
}

inline NoteOnEvent* noteAt(const midiTrack& t, std::size_t i)
{
    return eventAs<NoteOnEvent>(t, i);
}

// One line: time, status, kind and the event's own data; the position when asked.
inline std::string describeEvent(const anyEvent& e, bool withPosition)
{
    std::ostringstream s;
    s << e.time << " st=" << unsigned(e.status) << " k=" << e.kind();
    if (const auto* n = dynamic_cast<const NoteOnEvent*>(&e))
        s << " key=" << unsigned(n->key) << " vel=" << unsigned(n->velocity) << " dur=" << n->duration;
    else if (const auto* c = dynamic_cast<const ControlChangeEvent*>(&e))
        s << " ctl=" << unsigned(c->controller) << " val=" << unsigned(c->value);
    else if (const auto* p = dynamic_cast<const ProgramChangeEvent*>(&e))
        s << " prog=" << unsigned(p->program);
    else if (const auto* a = dynamic_cast<const ChannelAfterTouchEvent*>(&e))
        s << " pressure=" << unsigned(a->pressure);
    else if (const auto* b = dynamic_cast<const PitchBendEvent*>(&e))
        s << " bend=" << b->bend;
    else if (const auto* m = dynamic_cast<const metaEvent*>(&e)) {
        s << " meta=" << unsigned(m->metaType) << " len=" << m->length << " data=";
        for (std::int32_t i = 0; i < m->length && std::size_t(i) < m->data.size(); ++i)
            s << unsigned(m->data[std::size_t(i)]) << ',';
    } else if (const auto* x = dynamic_cast<const sysexEvent*>(&e)) {
        s << " ord=" << x->ordinal << " bytes=";
        for (std::uint8_t v : x->bytes)
            s << unsigned(v) << ',';
    }
    if (withPosition)
        s << " @" << e.measure << ':' << e.beat << ':' << e.tick;
    return s.str();
}

inline std::string describeEvents(const midiTrack& t, bool withPosition)
{
    std::string out;
    for (const anyEvent* e : t.items())
        out += (e ? describeEvent(*e, withPosition) : std::string("(empty)")) + "\n";
    return out;
}

// Everything a load fills in, as text: header values, indexes, bar starts and
// every track with every event and its position.
inline std::string describeSong(midiSong& song)
{
    std::ostringstream s;
    s << "format=" << song.format << " division=" << song.division << " trackCount=" << song.trackCount
      << " songLength=" << song.songLength << " firstNoteTime=" << song.firstNoteTime
      << " resetFlags=" << song.resetFlags << " tempoAt0=" << song.tempoAt(0) << "\n";
    s << "copyright=" << (song.copyright ? "<" + song.copyright->ValueText() + ">" : std::string("none")) << "\n";
    s << "timeSignatures:";
    for (const timeBeatEvent* e : song.timeSignatures)
        s << ' ' << describeEvent(*e, false) << ';';
    s << "\nkeySignatures:";
    for (const keyEvent* e : song.keySignatures)
        s << ' ' << describeEvent(*e, false) << ';';
    s << "\nsysexEvents:";
    for (const sysexEvent* e : song.sysexEvents)
        s << ' ' << describeEvent(*e, false) << ';';
    s << "\nbarStarts=" << song.barStarts.count() << ':';
    for (std::int64_t i = 0; i < song.barStarts.count() && i < 64; ++i)
        s << ' ' << song.barStarts.at(i);
    s << "\nconductor=" << (song.conductor ? song.conductor->number : -1) << "\n";
    for (const midiTrack* t : song.tracks) {
        s << "track " << t->number << " name=" << t->name << " label=" << t->label << " channels=" << t->channels
          << " endTime=" << t->endTime << " firstNoteTime=" << t->firstNoteTime << " port=" << t->port
          << " rhythm=" << t->rhythm << " durationForm=" << t->durationForm
          << " nameEvent=" << (t->nameEvent ? t->nameEvent->ValueText() : std::string("none")) << "\n"
          << describeEvents(*t, true);
    }
    return s.str();
}

// A fresh folder under the system's temporary folder, removed with its content.
class TempDir {
public:
    explicit TempDir(const std::string& tag)
    {
        static std::atomic<int> counter{0};
        path_ = std::filesystem::temp_directory_path() /
                ("orv-" + tag + "-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string file(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

inline void writeFile(const std::string& path, const Bytes& bytes)
{
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline Bytes readFile(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

}  // namespace smftest
