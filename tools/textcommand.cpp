#include "tools/textcommand.h"

#include <cstdio>
#include <ostream>
#include <vector>

#include "mididata/song.h"
#include "mididata/tempomap.h"
#include "mididata/track.h"
#include "tools/arguments.h"
#include "tools/loadsong.h"

namespace {

// The channels a track uses, 1-based: "1,10", or "-" when it uses none.
std::string channelList(std::uint16_t channels)
{
    std::string list;
    for (int n = 0; n < 16; ++n) {
        if (!(channels & (1u << n)))
            continue;
        if (!list.empty())
            list += ',';
        list += std::to_string(n + 1);
    }
    return list.empty() ? "-" : list;
}

// The reader stores each event's bar, beat and tick counted from 0.
std::string timeColumns(const anyEvent& e, const TempoMap& tempos)
{
    char text[64];
    std::snprintf(text, sizeof text, "%03u:%02u:%03u %8.3f  ", e.measure + 1, e.beat + 1, e.tick,
                  double(tempos.microsecondsAt(e.time)) / 1e6);
    return text;
}

void listTrack(const midiTrack& track, const TempoMap* tempos, std::ostream& out)
{
    out << "Track " << track.number << " \"" << track.name << "\" " << track.label << " channels "
        << channelList(track.channels) << '\n';
    for (std::size_t i = 0; i < track.size(); ++i) {
        const anyEvent* e = track.at(i);
        if (!e)
            continue;
        if (tempos)
            out << timeColumns(*e, *tempos);
        out << e->AsText() << '\n';
    }
}

}  // namespace

bool parseTextArguments(std::span<const std::string> args, std::string& file, TextOptions& options,
                        std::string& problem)
{
    static const OptionSpec known[] = {{"--times"}};
    SplitArguments split;
    if (!splitArguments("text", args, known, split, problem))
        return false;
    options.times = !split.options.empty();
    if (split.operands.size() != 1) {
        problem = "text takes one FILE";
        return false;
    }
    file = split.operands[0];
    return true;
}

int runTextCommand(const std::string& path, std::ostream& out, std::ostream& err, const TextOptions& options)
{
    midiSong song;
    if (!loadSong(song, path, err))
        return 1;
    const TempoMap tempos(song);
    for (const midiTrack* track : song.tracks) {
        if (track)
            listTrack(*track, options.times ? &tempos : nullptr, out);
    }
    return 0;
}
