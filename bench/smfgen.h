#pragma once
// Builds Standard MIDI File images for the benchmarks, byte by byte and with
// running status, independent of the program's own writer.
#include <cstdint>
#include <string>
#include <vector>

struct GeneratedSong {
    std::string kind;
    int notes = 0;
    std::size_t events = 0;  // events in the file, End of Track not counted
    std::vector<std::uint8_t> image;
};

// "format1": 16 tracks (tempo map, 15 channel tracks with pitch-bend and
// controller streams, overlapping same-key notes, tempo events in several tracks);
// "format0": the same in one track; "dense": chords of very short notes;
// "onekey": every note on one key, each overlapping the next; "unmatched": notes
// without note-offs; "tempo2": tempo events in the second track; "meters": a
// bar for every note, each with its own time signature.
GeneratedSong generateSong(const std::string& kind, int notes);
