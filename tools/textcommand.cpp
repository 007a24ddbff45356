#include "tools/textcommand.h"

#include <ostream>

#include "mididata/song.h"
#include "mididata/track.h"
#include "tools/loadsong.h"

namespace {

// The channels a track uses, 1-based: "1,10", or "-" when it uses none.
std::string channelList(uint16_t channels) {
    std::string list;
    for (int n = 0; n < 16; ++n) {
        if (!(channels & (1u << n))) continue;
        if (!list.empty()) list += ',';
        list += std::to_string(n + 1);
    }
    return list.empty() ? "-" : list;
}

void listTrack(const midiTrack& track, std::ostream& out) {
    out << "Track " << track.number << " \"" << track.name << "\" " << track.label << " channels "
        << channelList(track.channels) << '\n';
    for (size_t i = 0; i < track.size(); ++i) {
        if (const anyEvent* e = track.at(i)) out << e->AsText() << '\n';
    }
}

}  // namespace

int runTextCommand(const std::string& path, std::ostream& out, std::ostream& err) {
    midiSong song;
    if (!loadSong(song, path, err)) return 1;
    for (const midiTrack* track : song.tracks) {
        if (track) listTrack(*track, out);
    }
    return 0;
}
