#include "perform/intonation.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ostream>

#include "mididata/song.h"
#include "mididata/tempomap.h"
#include "mididata/track.h"
#include "midispec/midispec.h"
#include "perform/playedpitch.h"

const char* const kPracticeTakeTrackName = "Practice take";

namespace {

bool holdsTempo(const midiSong& song)
{
    if (song.tracks.empty() || !song.tracks.front())
        return false;
    for (const anyEvent* e : song.tracks.front()->items())
        if (e && e->kind() == kKindTempo)
            return true;
    return false;
}

bool holdsNotes(const midiTrack& track)
{
    for (const anyEvent* e : track.items())
        if (e && e->kind() == kKindNoteOn)
            return true;
    return false;
}

IntonationRow rowFor(const NoteSpan& note, const TempoMap& songClock, const std::vector<PitchStretch>& played)
{
    IntonationRow row;
    row.startUs = songClock.microsecondsAt(note.start);
    row.endUs = std::max(songClock.microsecondsAt(note.end), row.startUs);
    row.note = note.key;
    auto it = std::upper_bound(played.begin(), played.end(), row.startUs,
                               [](std::int64_t t, const PitchStretch& s) { return t < s.end; });
    double weighted = 0, covered = 0, farthest = 0;
    for (; it != played.end() && it->start < row.endUs; ++it) {
        const std::int64_t overlap = std::min(it->end, row.endUs) - std::max(it->start, row.startUs);
        if (overlap <= 0)
            continue;
        const double cents = (it->pitch - note.key) * 100.0;
        weighted += cents * double(overlap);
        covered += double(overlap);
        if (std::fabs(cents) > std::fabs(farthest))
            farthest = cents;
    }
    if (covered > 0) {
        row.centsMean = weighted / covered;
        row.centsMax = farthest;
        row.coverage = covered / double(row.endUs - row.startUs);
    }
    return row;
}

// Fixed decimals without "-0.00".
std::string decimal(double value, int places)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", places, value);
    std::string s = text;
    if (s[0] == '-' && s.find_first_not_of("-0.") == std::string::npos)
        s.erase(0, 1);
    return s;
}

}  // namespace

std::vector<IntonationRow> analyseIntonation(const midiSong& reference, const midiTrack& part, const midiSong& takeSong,
                                             const midiTrack& take)
{
    const TempoMap songClock(reference);
    const bool ownClock = holdsTempo(takeSong) || takeSong.division != reference.division;
    const TempoMap takeClock(ownClock ? takeSong : reference);
    const std::vector<PitchStretch> played =
        playedPitch(take, [&](std::int64_t tick) { return takeClock.microsecondsAt(tick); });

    std::vector<IntonationRow> rows;
    for (const NoteSpan& note : noteSpansOf(part))
        rows.push_back(rowFor(note, songClock, played));
    return rows;
}

const midiTrack* trackNumbered(const midiSong& song, int number)
{
    for (const midiTrack* t : song.tracks)
        if (t && t->number == number)
            return t;
    return nullptr;
}

const midiTrack* takeTrackOf(const midiSong& song)
{
    for (const midiTrack* t : song.tracks)
        if (t && t->name == kPracticeTakeTrackName && holdsNotes(*t))
            return t;
    for (const midiTrack* t : song.tracks)
        if (t && holdsNotes(*t))
            return t;
    return nullptr;
}

std::string compactNoteName(int note)
{
    std::string name = NoteName(note);
    std::erase(name, ' ');
    return name;
}

void writeIntonationCsv(const std::vector<IntonationRow>& rows, std::ostream& out)
{
    out << "start_s,end_s,note,name,cents_mean,cents_max,coverage\n";
    for (const IntonationRow& r : rows) {
        out << decimal(double(r.startUs) / 1e6, 3) << ',' << decimal(double(r.endUs) / 1e6, 3) << ',' << r.note << ','
            << compactNoteName(r.note) << ',';
        if (r.coverage > 0)
            out << decimal(r.centsMean, 2) << ',' << decimal(r.centsMax, 2);
        else
            out << ',';
        out << ',' << decimal(r.coverage, 3) << '\n';
    }
}
