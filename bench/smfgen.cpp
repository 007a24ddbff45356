#include "smfgen.h"

#include <algorithm>

#include "benchsupport.h"

namespace {

struct Ev {
    std::uint32_t time;
    std::uint32_t order;
    std::vector<std::uint8_t> bytes;  // status first
};

class TrackBuilder {
public:
    void add(std::uint32_t time, std::initializer_list<std::uint8_t> bytes)
    {
        events.push_back({time, order++, bytes});
    }
    std::vector<Ev> events;
    std::uint32_t order = 0;
};

void put32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    for (int s = 24; s >= 0; s -= 8)
        out.push_back(std::uint8_t(v >> s));
}

void emitTrack(std::vector<std::uint8_t>& out, std::vector<Ev>& events)
{
    std::stable_sort(events.begin(), events.end(), [](const Ev& a, const Ev& b) { return a.time < b.time; });
    std::vector<std::uint8_t> body;
    body.reserve(events.size() * 4);
    std::uint32_t last = 0;
    std::uint8_t running = 0;
    for (const Ev& e : events) {
        putVarLen(body, e.time - last);
        last = e.time;
        const std::uint8_t status = e.bytes[0];
        std::size_t from = 0;
        if (status < 0xF0) {
            if (status == running)
                from = 1;
            running = status;
        }
        body.insert(body.end(), e.bytes.begin() + std::ptrdiff_t(from), e.bytes.end());
    }
    body.insert(body.end(), {0x00, 0xFF, 0x2F, 0x00});
    out.insert(out.end(), {'M', 'T', 'r', 'k'});
    put32(out, std::uint32_t(body.size()));
    out.insert(out.end(), body.begin(), body.end());
}

std::vector<std::uint8_t> header(int format, int tracks)
{
    std::vector<std::uint8_t> h = {
        'M',  'T', 'h', 'd', 0, 0, 0, 6, 0, std::uint8_t(format), std::uint8_t(tracks >> 8), std::uint8_t(tracks),
        0x01, 0xE0};
    return h;
}

// The song as 16 tracks of events: track 0 the tempo map, tracks 1..15 one channel each.
std::vector<TrackBuilder> buildTracks(int notes)
{
    std::vector<TrackBuilder> tracks(16);
    TrackBuilder& conductor = tracks[0];
    conductor.add(0, {0xFF, 0x03, 4, 'S', 'o', 'n', 'g'});
    conductor.add(0, {0xFF, 0x58, 4, 4, 2, 24, 8});
    conductor.add(0, {0xFF, 0x59, 2, 0xFF, 0});
    const int perTrack = (notes + 14) / 15;
    std::uint32_t lastTime = 0;
    int made = 0;
    for (int t = 1; t <= 15 && made < notes; ++t) {
        TrackBuilder& tb = tracks[std::size_t(t)];
        const std::uint8_t ch = std::uint8_t(t - 1);
        tb.add(0, {0xFF, 0x03, 5, 'P', 'a', 'r', 't', std::uint8_t('A' + t)});
        tb.add(0, {std::uint8_t(0xC0 | ch), std::uint8_t(t * 5)});
        std::uint32_t time = 0;
        for (int i = 0; i < perTrack && made < notes; ++i, ++made) {
            const std::uint8_t key = std::uint8_t(36 + (i * 7 + t) % 48);
            const std::uint32_t len = 60 + std::uint32_t(i % 5) * 60;
            tb.add(time, {std::uint8_t(0x90 | ch), key, std::uint8_t(64 + i % 60)});
            // Every 16th note overlaps a second note of the same key.
            if (i % 16 == 0) {
                tb.add(time + 30, {std::uint8_t(0x90 | ch), key, 90});
                tb.add(time + len + 40, {std::uint8_t(0x80 | ch), key, 0});
                ++made;
            }
            tb.add(time + len, {std::uint8_t(0x90 | ch), key, 0});
            if (i % 5 == 0)
                tb.add(time + 10, {std::uint8_t(0xE0 | ch), std::uint8_t(i & 0x7F), std::uint8_t(64 + i % 8)});
            if (i % 5 == 2)
                tb.add(time + 20, {std::uint8_t(0xB0 | ch), 11, std::uint8_t(i & 0x7F)});
            if (t <= 3 && i % 2000 == 1000)
                tb.add(time, {0xFF, 0x51, 3, 0x07, std::uint8_t(0xA1 + t), 0x20});
            time += 120;
        }
        lastTime = std::max(lastTime, time);
    }
    for (std::uint32_t time = 0; time < lastTime; time += 1920 * 8)
        conductor.add(time, {0xFF, 0x51, 3, 0x07, 0xA1, 0x20});
    return tracks;
}

std::size_t countEvents(const std::vector<TrackBuilder>& tracks)
{
    std::size_t n = 0;
    for (const auto& t : tracks)
        n += t.events.size();
    return n;
}

}  // namespace

GeneratedSong generateSong(const std::string& kind, int notes)
{
    GeneratedSong song;
    song.kind = kind;
    song.notes = notes;
    std::vector<TrackBuilder> tracks;
    int format = 1;
    if (kind == "format1" || kind == "format0") {
        tracks = buildTracks(notes);
        if (kind == "format0") {
            format = 0;
            TrackBuilder all;
            for (auto& t : tracks)
                for (auto& e : t.events)
                    all.events.push_back(e);
            tracks.assign(1, all);
        }
    } else if (kind == "dense") {
        tracks.resize(2);
        tracks[0].add(0, {0xFF, 0x51, 3, 0x07, 0xA1, 0x20});
        for (int i = 0; i < notes; ++i) {
            const std::uint32_t time = std::uint32_t(i / 8) * 2;
            const std::uint8_t ch = std::uint8_t(i % 3);
            const std::uint8_t key = std::uint8_t(48 + i % 8 * 3);
            tracks[1].add(time, {std::uint8_t(0x90 | ch), key, 100});
            tracks[1].add(time + 1, {std::uint8_t(0x80 | ch), key, 0});
            if (i % 4 == 0)
                tracks[1].add(time, {std::uint8_t(0xE0 | ch), 0, std::uint8_t(64 + i % 16)});
            if (i % 8 == 3)
                tracks[1].add(time, {std::uint8_t(0xB0 | ch), 1, std::uint8_t(i & 0x7F)});
        }
    } else if (kind == "unmatched") {
        // Notes that no note-off ends: each lasts until the next note of its key.
        tracks.resize(2);
        tracks[0].add(0, {0xFF, 0x51, 3, 0x07, 0xA1, 0x20});
        for (int i = 0; i < notes; ++i) {
            const std::uint8_t ch = std::uint8_t(i % 4);
            tracks[1].add(std::uint32_t(i) * 10, {std::uint8_t(0x90 | ch), std::uint8_t(40 + i % 37), 100});
        }
    } else if (kind == "tempo2") {
        // A tempo change with every fourth note, in the second track: all of
        // them move to the first.
        tracks.resize(3);
        tracks[0].add(0, {0xFF, 0x58, 4, 4, 2, 24, 8});
        for (int i = 0; i < notes; ++i) {
            const std::uint32_t time = std::uint32_t(i) * 60;
            tracks[1].add(time, {0x90, std::uint8_t(48 + i % 24), 100});
            tracks[1].add(time + 50, {0x80, std::uint8_t(48 + i % 24), 0});
            if (i % 4 == 0)
                tracks[2].add(time, {0xFF, 0x51, 3, 0x07, std::uint8_t(0xA1 + i % 7), 0x20});
        }
    } else if (kind == "meters") {
        // A bar for every note, each with a time signature of its own (4/4 and 3/4 by turns).
        tracks.resize(2);
        std::uint32_t time = 0;
        for (int i = 0; i < notes; ++i) {
            const std::uint8_t beats = i % 2 ? 3 : 4;
            tracks[0].add(time, {0xFF, 0x58, 4, beats, 2, 24, 8});
            tracks[1].add(time, {0x90, std::uint8_t(48 + i % 24), 100});
            tracks[1].add(time + 240, {0x80, std::uint8_t(48 + i % 24), 0});
            time += 480u * beats;
        }
    } else {  // onekey
        tracks.resize(2);
        tracks[0].add(0, {0xFF, 0x51, 3, 0x07, 0xA1, 0x20});
        for (int i = 0; i < notes; ++i) {
            tracks[1].add(std::uint32_t(i) * 2, {0x90, 60, 100});
            tracks[1].add(std::uint32_t(i) * 2 + 3, {0x90, 60, 0});
            if (i % 5 == 0)
                tracks[1].add(std::uint32_t(i) * 2, {0xE0, 0, std::uint8_t(64 + i % 16)});
        }
    }
    song.events = countEvents(tracks);
    song.image = header(format, int(tracks.size()));
    for (auto& t : tracks)
        emitTrack(song.image, t.events);
    return song;
}
