#pragma once
// The intonation report: for each note of a song's part, how a take played it.
// The take is any track on the song's clock (a practice take, or a file whose
// ticks count from the song's start); its pitch comes from its notes and bends
// (see playedpitch.h). The report window and "orvelline-midi intonation" both
// show these rows.
#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "perform/playedpitch.h"

class midiSong;
class midiTrack;

// The name of the track that holds the take in a saved practice take (a
// looped take names each pass's track after it: "Practice take, pass 2").
extern const char* const kPracticeTakeTrackName;
// The markers a looped take's track holds at the loop's bounds: only the part's
// notes that start between them are scored.
extern const char* const kLoopStartMarker;
extern const char* const kLoopEndMarker;

// How far off a pitch may be and still count as in tune.
inline constexpr double kInTuneCents = 25.0;

// The bands of the report's colours: within 10, 25 and 50 cents, and further (0 to 3).
int intonationBand(double cents);

struct IntonationRow {
    std::int64_t startTick = 0;  // the note's start in the song's ticks
    std::int64_t startUs = 0;    // the note's start and end through the song's tempo map
    std::int64_t endUs = 0;
    int note = 0;
    // Signed cents of the played pitch against the note: the mean weighted by
    // time and the value farthest from zero, both over the time a note sounded.
    // Meaningless when coverage is 0.
    double centsMean = 0;
    double centsMax = 0;
    double coverage = 0;  // the share of the note's time during which the take sounded
    double inTune = 0;    // the share of the note's time sounded within kInTuneCents
};

// One row per note of part, in the order the notes start (within the loop's
// markers when the take holds them). part belongs to
// reference; take belongs to takeSong. The take's ticks become time through
// its own tempo map, or through the reference's when the take holds no tempo
// and counts in the same division (a take written without a tempo map).
std::vector<IntonationRow> analyseIntonation(const midiSong& reference, const midiTrack& part, const midiSong& takeSong,
                                             const midiTrack& take);

// The track of the song numbered so, as the text and JSON listings number them; nullptr when none is.
const midiTrack* trackNumbered(const midiSong& song, int number);

struct TakePass {
    int pass = 1;
    const midiTrack* track = nullptr;
};

// The takes in a file, one per pass: the tracks named for their passes
// ("Practice take, pass 1", ...) in the order of their numbers, else the track
// named kPracticeTakeTrackName as pass 1, else the first track holding notes;
// none when no track holds notes.
std::vector<TakePass> takePassesOf(const midiSong& song);
// The first of them; nullptr when there is none.
const midiTrack* takeTrackOf(const midiSong& song);

// The note name without padding: "C4", "C#4", "Bb-1".
std::string compactNoteName(int note);

// What a pass came to: of the part's notes scored, those the take sounded and
// those whose mean lay within kInTuneCents; the mean of the notes' absolute
// mean cents (over the notes sounded); and the share of the part's time
// sounded within kInTuneCents.
struct PassSummary {
    int notes = 0;
    int sounded = 0;
    int within25 = 0;
    double meanAbsCents = 0;
    double inTuneShare = 0;
};
PassSummary summarisePass(const std::vector<IntonationRow>& rows);

struct PassScore {
    int pass = 1;
    std::vector<IntonationRow> rows;
    PassSummary summary;
    std::vector<PitchStretch> played;  // the take's pitch over time, for the report's curve
};

// Each pass of the take scored against part, in the order given.
std::vector<PassScore> scorePasses(const midiSong& reference, const midiTrack& part, const midiSong& takeSong,
                                   const std::vector<TakePass>& passes);
// The index of the pass most in tune (the largest in-tune share, then the
// smallest mean); 0 for no passes.
std::size_t bestPass(const std::vector<PassScore>& scores);

// "pass,start_s,end_s,note,name,cents_mean,cents_max,coverage" and one line
// per note and pass; the cents are empty for a note the take left silent.
void writeIntonationCsv(const std::vector<PassScore>& scores, std::ostream& out);
// "pass,notes,within_25,mean_abs_cents,in_tune_share" and one line per pass.
void writeSummaryCsv(const std::vector<PassScore>& scores, std::ostream& out);
