#include "perform/intonation.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <ostream>
#include <utility>

#include "mididata/event.h"
#include "mididata/song.h"
#include "mididata/tempomap.h"
#include "mididata/track.h"
#include "midispec/midispec.h"
#include "perform/playedpitch.h"

const char* const kPracticeTakeTrackName = "Practice take";
const char* const kLoopStartMarker = "Loop start";
const char* const kLoopEndMarker = "Loop end";

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

// The ticks between the take's loop markers; everything without them.
std::pair<std::int64_t, std::int64_t> scoredTicks(const midiTrack& take)
{
    std::int64_t from = INT64_MIN, to = INT64_MAX;
    bool start = false, end = false;
    for (const anyEvent* e : take.items()) {
        if (!e || e->kind() != kKindMarker)
            continue;
        const std::string text = static_cast<const metaEvent*>(e)->ValueText();
        if (text == kLoopStartMarker && !start) {
            from = e->time;
            start = true;
        } else if (text == kLoopEndMarker && !end) {
            to = e->time;
            end = true;
        }
    }
    if (!start || !end || to <= from)
        return {INT64_MIN, INT64_MAX};
    return {from, to};
}

IntonationRow rowFor(const NoteSpan& note, const TempoMap& songClock, const std::vector<PitchStretch>& played)
{
    IntonationRow row;
    row.startTick = note.start;
    row.startUs = songClock.microsecondsAt(note.start);
    row.endUs = std::max(songClock.microsecondsAt(note.end), row.startUs);
    row.note = note.key;
    auto it = std::upper_bound(played.begin(), played.end(), row.startUs,
                               [](std::int64_t t, const PitchStretch& s) { return t < s.end; });
    double weighted = 0, covered = 0, farthest = 0, inTune = 0;
    for (; it != played.end() && it->start < row.endUs; ++it) {
        const std::int64_t overlap = std::min(it->end, row.endUs) - std::max(it->start, row.startUs);
        if (overlap <= 0)
            continue;
        const double cents = (it->pitch - note.key) * 100.0;
        weighted += cents * double(overlap);
        covered += double(overlap);
        if (std::fabs(cents) <= kInTuneCents + 1e-9)
            inTune += double(overlap);
        if (std::fabs(cents) > std::fabs(farthest))
            farthest = cents;
    }
    if (covered > 0) {
        row.centsMean = weighted / covered;
        row.centsMax = farthest;
        row.coverage = covered / double(row.endUs - row.startUs);
        row.inTune = inTune / double(row.endUs - row.startUs);
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

namespace {

std::vector<PitchStretch> playedOnSongClock(const midiSong& reference, const midiSong& takeSong, const midiTrack& take)
{
    const bool ownClock = holdsTempo(takeSong) || takeSong.division != reference.division;
    const TempoMap takeClock(ownClock ? takeSong : reference);
    return playedPitch(take, [&](std::int64_t tick) { return takeClock.microsecondsAt(tick); });
}

std::vector<IntonationRow> rowsFor(const midiSong& reference, const midiTrack& part, const midiTrack& take,
                                   const std::vector<PitchStretch>& played)
{
    const TempoMap songClock(reference);
    std::vector<IntonationRow> rows;
    const auto [from, to] = scoredTicks(take);
    for (const NoteSpan& note : noteSpansOf(part))
        if (note.start >= from && note.start < to)
            rows.push_back(rowFor(note, songClock, played));
    return rows;
}

}  // namespace

std::vector<IntonationRow> analyseIntonation(const midiSong& reference, const midiTrack& part, const midiSong& takeSong,
                                             const midiTrack& take)
{
    return rowsFor(reference, part, take, playedOnSongClock(reference, takeSong, take));
}

const midiTrack* trackNumbered(const midiSong& song, int number)
{
    for (const midiTrack* t : song.tracks)
        if (t && t->number == number)
            return t;
    return nullptr;
}

std::vector<TakePass> takePassesOf(const midiSong& song)
{
    const std::string prefix = std::string(kPracticeTakeTrackName) + ", pass ";
    std::vector<TakePass> passes;
    for (const midiTrack* t : song.tracks) {
        if (!t || t->name.size() <= prefix.size() || t->name.compare(0, prefix.size(), prefix) != 0)
            continue;
        const std::string digits = t->name.substr(prefix.size());
        int pass = 0;
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), pass);
        if (error == std::errc() && end == digits.data() + digits.size() && pass >= 1)
            passes.push_back({pass, t});
    }
    std::stable_sort(passes.begin(), passes.end(),
                     [](const TakePass& a, const TakePass& b) { return a.pass < b.pass; });
    if (!passes.empty())
        return passes;
    for (const midiTrack* t : song.tracks)
        if (t && t->name == kPracticeTakeTrackName && holdsNotes(*t))
            return {{1, t}};
    for (const midiTrack* t : song.tracks)
        if (t && holdsNotes(*t))
            return {{1, t}};
    return {};
}

const midiTrack* takeTrackOf(const midiSong& song)
{
    const std::vector<TakePass> passes = takePassesOf(song);
    return passes.empty() ? nullptr : passes.front().track;
}

std::string compactNoteName(int note)
{
    std::string name = NoteName(note);
    std::erase(name, ' ');
    return name;
}

int intonationBand(double cents)
{
    const double off = std::fabs(cents) - 1e-9;
    return off <= 10 ? 0 : off <= kInTuneCents ? 1 : off <= 50 ? 2 : 3;
}

PassSummary summarisePass(const std::vector<IntonationRow>& rows)
{
    PassSummary summary;
    double absolute = 0, sounded = 0, inTune = 0, total = 0;
    for (const IntonationRow& r : rows) {
        ++summary.notes;
        const double length = double(r.endUs - r.startUs);
        total += length;
        inTune += r.inTune * length;
        if (r.coverage <= 0)
            continue;
        ++sounded;
        absolute += std::fabs(r.centsMean);
        if (std::fabs(r.centsMean) <= kInTuneCents + 1e-9)
            ++summary.within25;
    }
    summary.sounded = int(sounded);
    summary.meanAbsCents = sounded > 0 ? absolute / sounded : 0;
    summary.inTuneShare = total > 0 ? inTune / total : 0;
    return summary;
}

std::vector<PassScore> scorePasses(const midiSong& reference, const midiTrack& part, const midiSong& takeSong,
                                   const std::vector<TakePass>& passes)
{
    std::vector<PassScore> scores;
    for (const TakePass& pass : passes) {
        PassScore score;
        score.pass = pass.pass;
        score.played = playedOnSongClock(reference, takeSong, *pass.track);
        score.rows = rowsFor(reference, part, *pass.track, score.played);
        score.summary = summarisePass(score.rows);
        scores.push_back(std::move(score));
    }
    return scores;
}

std::size_t bestPass(const std::vector<PassScore>& scores)
{
    std::size_t best = 0;
    for (std::size_t i = 1; i < scores.size(); ++i) {
        const PassSummary &a = scores[i].summary, &b = scores[best].summary;
        if (a.inTuneShare > b.inTuneShare + 1e-12 ||
            (std::fabs(a.inTuneShare - b.inTuneShare) <= 1e-12 && a.meanAbsCents < b.meanAbsCents))
            best = i;
    }
    return best;
}

void writeIntonationCsv(const std::vector<PassScore>& scores, std::ostream& out)
{
    out << "pass,start_s,end_s,note,name,cents_mean,cents_max,coverage\n";
    for (const PassScore& score : scores)
        for (const IntonationRow& r : score.rows) {
            out << score.pass << ',' << decimal(double(r.startUs) / 1e6, 3) << ',' << decimal(double(r.endUs) / 1e6, 3)
                << ',' << r.note << ',' << compactNoteName(r.note) << ',';
            if (r.coverage > 0)
                out << decimal(r.centsMean, 2) << ',' << decimal(r.centsMax, 2);
            else
                out << ',';
            out << ',' << decimal(r.coverage, 3) << '\n';
        }
}

void writeSummaryCsv(const std::vector<PassScore>& scores, std::ostream& out)
{
    out << "pass,notes,within_25,mean_abs_cents,in_tune_share\n";
    for (const PassScore& score : scores) {
        const PassSummary& s = score.summary;
        out << score.pass << ',' << s.notes << ',' << s.within25 << ',' << decimal(s.meanAbsCents, 2) << ','
            << decimal(s.inTuneShare, 3) << '\n';
    }
}
