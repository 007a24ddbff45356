// Four-character note names, so that a note shown in the status line or an event
// text never shifts the text after it. Octave -1 has no room for a leading blank
// when the note is altered ("C#-1").
#include "midispec/midispec.h"

#include <iterator>

namespace {

// clang-format off
constexpr const char* kNoteNames[] = {
    " C-1", "C#-1", " D-1", "Eb-1", " E-1", " F-1", "F#-1", " G-1", "G#-1", " A-1",
    "Bb-1", " B-1", " C 0", " C#0", " D 0", " Eb0", " E 0", " F 0", " F#0", " G 0",
    " G#0", " A 0", " Bb0", " B 0", " C 1", " C#1", " D 1", " Eb1", " E 1", " F 1",
    " F#1", " G 1", " G#1", " A 1", " Bb1", " B 1", " C 2", " C#2", " D 2", " Eb2",
    " E 2", " F 2", " F#2", " G 2", " G#2", " A 2", " Bb2", " B 2", " C 3", " C#3",
    " D 3", " Eb3", " E 3", " F 3", " F#3", " G 3", " G#3", " A 3", " Bb3", " B 3",
    " C 4", " C#4", " D 4", " Eb4", " E 4", " F 4", " F#4", " G 4", " G#4", " A 4",
    " Bb4", " B 4", " C 5", " C#5", " D 5", " Eb5", " E 5", " F 5", " F#5", " G 5",
    " G#5", " A 5", " Bb5", " B 5", " C 6", " C#6", " D 6", " Eb6", " E 6", " F 6",
    " F#6", " G 6", " G#6", " A 6", " Bb6", " B 6", " C 7", " C#7", " D 7", " Eb7",
    " E 7", " F 7", " F#7", " G 7", " G#7", " A 7", " Bb7", " B 7", " C 8", " C#8",
    " D 8", " Eb8", " E 8", " F 8", " F#8", " G 8", " G#8", " A 8", " Bb8", " B 8",
    " C 9", " C#9", " D 9", " Eb9", " E 9", " F 9", " F#9", " G 9",
};
// clang-format on
static_assert(std::size(kNoteNames) == kNoteCount);

}  // namespace

std::string NoteName(int n)
{
    if (n < 0)
        return "----";
    if (n >= kNoteCount)
        return "++++";
    return kNoteNames[n];
}
