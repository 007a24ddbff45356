// Time of the intonation report on takes of 40k, 160k and 1M notes, each
// note held long enough to overlap the next few hundred (as a sloppy legato
// take does), with a pitch bend every fifth note, scored against a part of as
// many notes. Prints the median of three runs; asserts nothing.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "mididata/event.h"
#include "mididata/song.h"
#include "mididata/track.h"
#include "perform/intonation.h"

namespace {

constexpr int kTicksPerNote = 20;
constexpr int kOverlap = 300;  // notes that sound at once in the take

midiTrack* notesTrack(midiSong& song, int notes, int length, bool bends)
{
    auto* track = song.addTrack(new midiTrack(&song, std::int32_t(song.tracks.size()), "Notes"));
    track->durationForm = true;
    for (int i = 0; i < notes; ++i) {
        const std::int32_t at = i * kTicksPerNote;
        auto* note = new NoteOnEvent(at, 0);
        note->key = std::uint8_t(48 + i % 24);
        note->velocity = 100;
        note->duration = length;
        track->addEvent(note);
        if (bends && i % 5 == 0) {
            auto* bend = new PitchBendEvent(at, 0);
            bend->bend = 8192 + (i % 64) * 8 - 256;
            track->addEvent(bend);
        }
        track->endTime = at + length;
    }
    track->sort();
    return track;
}

double secondsFor(int notes)
{
    midiSong reference, take;
    auto* conductor = reference.addTrack(new midiTrack(&reference, 0, "Tempo"));
    conductor->addEvent(new TempoEvent(0, 0x51, 500000));
    reference.setConductor(conductor);
    const midiTrack* part = notesTrack(reference, notes, kTicksPerNote, false);
    const midiTrack* played = notesTrack(take, notes, kTicksPerNote * kOverlap, true);
    std::vector<double> times;
    std::size_t rows = 0;
    for (int run = 0; run < 3; ++run) {
        const auto start = std::chrono::steady_clock::now();
        rows += analyseIntonation(reference, *part, take, *played).size();
        times.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    if (rows != std::size_t(notes) * 3)
        std::printf("  (%zu rows, expected %d)\n", rows / 3, notes);
    return times[1];
}

}  // namespace

int main()
{
    std::printf("intonation report, take notes overlapping %d at a time (median of 3)\n", kOverlap);
    for (const int notes : {40000, 160000, 1000000})
        std::printf("%8d notes: %7.3f s\n", notes, secondsFor(notes));
    return 0;
}
