#include "tools/songinfo.h"

#include <chrono>
#include <cstdio>
#include <ostream>

#include "mididata/song.h"
#include "mididata/tempomap.h"
#include "midispec/midispec.h"
#include "tools/loadsong.h"

namespace {

std::string resetNames(std::uint32_t flags)
{
    std::string s;
    const char* names[3] = {"GM System On", "GS Reset", "XG System On"};
    for (int bit = 0; bit < 3; ++bit) {
        if (!(flags & (1u << bit)))
            continue;
        if (!s.empty())
            s += ", ";
        s += names[bit];
    }
    return s.empty() ? "none" : s;
}

// A format 0 file holds one track, which the reader splits by channel: the
// song then lists the first track (what is not on a channel) and sixteen
// channel tracks, of which only those that got events count.
std::string trackSummary(const midiSong& song)
{
    std::string line = std::to_string(song.trackCount) + " in the file";
    if (song.format == 0 && song.tracks.size() > 1) {
        std::size_t used = 0;
        for (std::size_t i = 1; i < song.tracks.size(); ++i)
            used += song.tracks[i] && !song.tracks[i]->empty();
        line += ", split by channel into " + std::to_string(used) + " channel track" + (used == 1 ? "" : "s") + " (" +
                std::to_string(song.tracks.size()) + " listed)";
    }
    return line;
}

std::size_t eventCount(const midiTrack& t)
{
    std::size_t n = 0;
    for (const anyEvent* e : t.items())
        n += e != nullptr;
    return n;
}

}  // namespace

void writeSongInfo(midiSong& song, std::ostream& out)
{
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.3f", double(TempoMap(song).microsecondsAt(song.songLength)) / 1e6);
    const std::int32_t tempo = song.tempoAt(0);
    char bpm[32];
    std::snprintf(bpm, sizeof bpm, "%.2f", 60e6 / double(tempo));
    out << "Format:   " << song.format << "\n"
        << "Division: " << song.division << " ticks per quarter note\n"
        << "Length:   " << song.songLength << " ticks, " << seconds << " s\n"
        << "Tempo:    " << tempo << " us per quarter note (" << bpm << " BPM) at the start\n";
    const keyEvent* key = song.keyAt(1);
    out << "Key:      "
        << (key && key->hasDataBytes(2) ? KeyName(std::int8_t(key->dataByte(0)), key->dataByte(1))
                                        : std::string("none"))
        << "\n"
        << "Resets:   " << resetNames(song.resetFlags) << "\n"
        << "Tracks:   " << trackSummary(song) << "\n";
    for (const midiTrack* t : song.tracks)
        out << "  " << t->number << "  " << t->name << "  " << t->label << "  " << eventCount(*t) << " events\n";
}

int runInfoCommand(const std::string& path, std::ostream& out, std::ostream& err)
{
    midiSong song;
    const auto start = std::chrono::steady_clock::now();
    if (!loadSong(song, path, err))
        return 1;
    const auto took = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    writeSongInfo(song, out);
    char ms[32];
    std::snprintf(ms, sizeof ms, "%.1f", took);
    out << "Read in " << ms << " ms\n";
    return 0;
}
