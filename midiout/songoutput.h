#pragma once
// Where the song player sends a song. The gateway is the output for the chosen
// device; a test gives the player an output of its own. The player keeps set-tempo
// events to itself, so an output sees only what goes to a device.
//
// While a song plays, SendSongEvent, SoundOffAll and songEnded run on the timer
// thread; the rest run on the thread that starts and stops songs.
#include <cstdint>

class anyEvent;

class SongOutput {
public:
    virtual ~SongOutput() = default;

    // False while there is no device: the player then starts no song, and a
    // stop sends nothing.
    virtual bool isOpen() const = 0;
    // Waits, a few seconds at most, until the device can sound.
    virtual void WaitUntilReady() = 0;
    // Starts the time line of a song at startMicros (platform::nowMicros).
    virtual void BeginSong(std::int64_t startMicros) = 0;
    // An event of the song with its due instant on that time line.
    virtual void SendSongEvent(const anyEvent& event, std::int64_t dueMicros) = 0;
    // Drops what was sent ahead of its due instant and has not sounded yet.
    virtual void CancelSong() = 0;
    virtual void SoundOffAll() = 0;
    // The song has played to its end (not called for a song that was stopped).
    virtual void songEnded() = 0;
    // How long before its due instant an event may be sent (a device that
    // schedules the song in its own audio frames takes events early).
    virtual std::int64_t songLookaheadMicros() const { return 0; }
    // Whether the device dropped the song (its sound went away meanwhile):
    // the player stops it, as a stop would, and tells of its end.
    virtual bool songInterrupted() const { return false; }
};
