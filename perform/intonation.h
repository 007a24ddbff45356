#pragma once
// The intonation report: for each note of a song's part, how a take played it.
// The take is any track on the song's clock (a practice take, or a file whose
// ticks count from the song's start); its pitch comes from its notes and bends
// (see playedpitch.h). The report window and "orvelline-midi intonation" both
// show these rows.
#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

class midiSong;
class midiTrack;

// The name of the track that holds the take in a saved practice take.
extern const char* const kPracticeTakeTrackName;

struct IntonationRow {
    std::int64_t startUs = 0;  // the note's start and end through the song's tempo map
    std::int64_t endUs = 0;
    int note = 0;
    // Signed cents of the played pitch against the note: the mean weighted by
    // time and the value farthest from zero, both over the time a note sounded.
    // Meaningless when coverage is 0.
    double centsMean = 0;
    double centsMax = 0;
    double coverage = 0;  // the share of the note's time during which the take sounded
};

// One row per note of part, in the order the notes start. part belongs to
// reference; take belongs to takeSong. The take's ticks become time through
// its own tempo map, or through the reference's when the take holds no tempo
// and counts in the same division (a take written without a tempo map).
std::vector<IntonationRow> analyseIntonation(const midiSong& reference, const midiTrack& part, const midiSong& takeSong,
                                             const midiTrack& take);

// The track of the song numbered so, as the text and JSON listings number them; nullptr when none is.
const midiTrack* trackNumbered(const midiSong& song, int number);

// The take in a file: the track named kPracticeTakeTrackName, else the first
// track holding notes; nullptr when no track holds notes.
const midiTrack* takeTrackOf(const midiSong& song);

// The note name without padding: "C4", "C#4", "Bb-1".
std::string compactNoteName(int note);

// "start_s,end_s,note,name,cents_mean,cents_max,coverage" and one line per row;
// the cents are empty for a note the take left silent.
void writeIntonationCsv(const std::vector<IntonationRow>& rows, std::ostream& out);
