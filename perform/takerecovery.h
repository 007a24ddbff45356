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
#include <memory>
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

// Writing takes the disk's time (a flush to the disk, tens of milliseconds,
// and more for a long take), which the window thread must not wait for while
// the pointer plays: a thread of its own writes, from a copy of the entries
// that keep() extends by what is new, so keep() itself takes microseconds.
class TakeRecovery {
public:
    TakeRecovery();
    // Whatever was handed over is written before the writer ends.
    ~TakeRecovery();
    TakeRecovery(const TakeRecovery&) = delete;
    TakeRecovery& operator=(const TakeRecovery&) = delete;

    // Where takes are kept; empty (the default) keeps none and starts no thread.
    void setFile(std::filesystem::path file) { file_ = std::move(file); }
    const std::filesystem::path& file() const { return file_; }
    bool hasFile() const { return !file_.empty() && std::filesystem::exists(file_); }

    // A new take began: whatever the file holds is out of date.
    void takeChanged();
    // The performer's recording is what the file holds (it was restored from it).
    void takeIsInFile(std::size_t entries);
    // Has the recording written when it holds entries the file does not.
    // After a failure (said once, through the message sink) this take is no
    // longer written.
    void keep(const TVidize& performer);
    // Returns once everything handed over is on disk.
    void flush();
    // The take was saved or let go: the file goes, and a write under way is waited for.
    void remove();
    // Renames a file that holds no take that can be read to the same name
    // with ".unreadable" added; answers where it is now.
    std::filesystem::path setAside();

private:
    struct Writer;
    std::filesystem::path file_;
    std::size_t handed_ = 0;  // entries of this take the writer has
    bool fresh_ = true;       // the writer must start the take afresh
    std::unique_ptr<Writer> writer_;
};
