#pragma once
// A take that is not saved yet, kept on disk so that a crash, kill -9 or the
// display going away cannot lose it: the recorder's entries so far, written
// as the Standard MIDI File a save would write (so any MIDI program opens it
// too) and replaced whole each time, never left half-written. At the next
// start the file is read back into entries that build the same song.
//
// The session owns one TakeRecovery and tells it when the take changes;
// keep() is called often (the window calls it twice a second) and writes only
// when the take has grown since it last wrote. Qt-free.
#include <cstddef>
#include <deque>
#include <filesystem>
#include <limits>
#include <string>

#include "perform/recordentry.h"

class TVidize;
class midiTrack;

// Writes the performer's recording to path as Save as MIDI file would;
// a failure is reported through the message sink and answered with false.
bool writeTakeFile(TVidize& performer, const std::filesystem::path& path);
// The entries of a take written by writeTakeFile: they build the song the
// file holds, notes on the centre note and with the velocity of their time.
// Raises MidiDataError when the file cannot be read.
std::deque<RecordEntry> readTakeFile(const std::filesystem::path& path);
// The same from a track whose notes are separate note-ons and note-offs.
std::deque<RecordEntry> entriesOfTrack(const midiTrack& track);

class TakeRecovery {
public:
    // Where takes are kept; empty (the default) keeps none.
    void setFile(std::filesystem::path file) { file_ = std::move(file); }
    const std::filesystem::path& file() const { return file_; }
    bool hasFile() const { return !file_.empty() && std::filesystem::exists(file_); }

    // A new take began: whatever the file holds is out of date.
    void takeChanged()
    {
        written_ = kNothingWritten;
        failed_ = false;
    }
    // The performer's recording is what the file holds (it was restored from it).
    void takeIsInFile(std::size_t entries) { written_ = entries; }
    // Writes the recording when it holds entries the file does not. After a
    // failure (said once) this take is no longer written.
    void keep(TVidize& performer);
    // The take was saved or let go.
    void remove();
    // Renames a file that holds no take that can be read to the same name
    // with ".unreadable" added; answers where it is now.
    std::filesystem::path setAside();

private:
    static constexpr std::size_t kNothingWritten = std::numeric_limits<std::size_t>::max();
    std::filesystem::path file_;
    std::size_t written_ = kNothingWritten;
    bool failed_ = false;
};
