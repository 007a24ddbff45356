// Loads arbitrary bytes as a Standard MIDI File; when that succeeds, saves the
// song to memory and loads the result again. Any crash, leak, hang or huge
// allocation is a fault; an exception with the reader's message is not.
#include <cstdint>
#include <cstdlib>

#include "mididata/bytestream.h"
#include "mididata/midierror.h"
#include "mididata/song.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    midiSong song;
    try {
        song.loadFromMemory(data, size);
    } catch (const MidiDataError&) {
        // A refused file must leave a song that can still be used and read again.
        (void)song.keyAt(1);
        (void)song.tempoAt(0);
        return 0;
    }
    for (midiTrack* t : song.tracks)
        for (anyEvent* e : t->items())
            (void)e->AsText();

    ByteStream out;
    song.save(out);
    midiSong again;
    try {
        again.loadFromMemory(out.bytes().data(), out.size());
    } catch (const MidiDataError&) {
        // The reader accepts nothing the writer would write differently, so
        // what the writer made always reads.
        std::abort();
    }
    // Loading into a song that already holds a file must work as on a fresh one.
    try {
        song.loadFromMemory(out.bytes().data(), out.size());
    } catch (const MidiDataError&) {
    }
    return 0;
}
