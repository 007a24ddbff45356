#pragma once
// The one gateway between the program and the MIDI output: the chosen device,
// every message that leaves the program (the performer's notes, bends and
// controllers, the panel's settings, the song player's events), the device
// profile device.prf, and the song player. The device window (a Qt dialog)
// owns this object and only adds the list and its buttons.
//
// Failures that a user must see (a device that will not open, a system-exclusive
// message that cannot be sent, "Timer Error") go to the message sink
// (mididata/messagesink.h). Short-message sends report nothing; their status is
// returned and callers ignore it.
//
// The window thread uses every operation; while a song plays, SendEvent,
// SendSysEx, SoundOffAll and OnSongEnd also run on the timer thread.
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "midiout/songoutput.h"
#include "platform/midiout.h"
#include "platform/timer.h"

class anyEvent;
class sysexEvent;
class midiTrack;
class SequencePlayer;

class MidiGateway : public SongOutput {
public:
    MidiGateway();
    // Stops the player and closes the device (what the window does on destroy,
    // the profile excepted: the window writes it, as it knows its own position).
    ~MidiGateway() override;
    MidiGateway(const MidiGateway&) = delete;
    MidiGateway& operator=(const MidiGateway&) = delete;

    platform::TimeCaps TimeCaps{};
    std::int32_t DeviceID = -1;  // -1 is the default route
    // Where device.prf is read and written; empty: the running program's
    // settings folder (platform::ProgramFolders: the program folder, or the
    // per-user folder when the program folder cannot be written).
    std::string Folder;
    platform::MidiOutHandle MidiOut = platform::MidiOutHandle::Null;
    // Called on the timer thread when a song has played to its end.
    std::function<void()> OnSongEnd;

    // What the window does when it is created, without the window: the timer
    // period, the profile, opening the remembered device. Returns false when the
    // device did not open (the window then shows itself so the user can choose).
    bool Start();

    int SendNoteOn(int channel, int note, int velocity);
    int SendControl(int channel, int controller, int value);
    int SendPitchBend(int channel, int value);
    int SendProgram(int channel, int bankMsb, int bankLsb, int program);
    // A channel message passed on as it came (MIDI thru); its data bytes are
    // held to 0-127, since a byte above that is a status byte on the wire.
    int SendShort(std::uint8_t status, std::uint8_t data1, std::uint8_t data2);
    void SendSysEx(const sysexEvent& event);
    void SendEvent(const anyEvent& event);
    // A song's event with its due instant (platform::nowMicros) on the time
    // line BeginSong started: the built-in synth schedules it in its own
    // audio clock, any other device gets it at once. CancelSong drops what
    // is scheduled and not yet played.
    void BeginSong(std::int64_t startMicros) override;
    void SendSongEvent(const anyEvent& event, std::int64_t dueMicros) override;
    void CancelSong() override;
    std::int64_t songLookaheadMicros() const override;
    bool songInterrupted() const override;
    // Waits, a few seconds at most, until the device can sound: a song
    // started while the built-in synth loads its SoundFont would lose its
    // first notes.
    void WaitUntilReady() override;
    void SoundOffAll() override;

    int OpenDevice(int id);
    int CloseDevice();
    // A device that closed itself (its JACK server went away) is not open,
    // though its handle waits for CloseDevice or the next OpenDevice.
    bool isOpen() const override;
    // How the open built-in synth is doing; nothing for any other device.
    std::optional<platform::SynthOutputStatus> synthStatus() const { return platform::midiOutSynthStatus(MidiOut); }
    void SetFolder(const std::string& folder);

    // One line per device, the default route first: product name, a blank and
    // the name of its technology ("MIDI Port", "Synth", ...). Line k is device k - 1.
    std::vector<std::string> DeviceLines() const;

    // device.prf: version, window top, left, width, height, device. Reading
    // takes the file from Folder; a bad file is reported in one message and
    // leaves the defaults (device -1). Writing replaces the file whole or not
    // at all and reports a failure.
    struct WindowPlace {
        int top = 109, left = 200, width = 451, height = 295;
    };
    WindowPlace Place;
    void LoadProfile();
    bool SaveProfile() const;

    // The song player.
    int SetTempo(int microsecondsPerQuarter);
    void PlayTrack(midiTrack* track);
    void StopPlayback();
    bool IsPlaying() const;
    // The player itself, for its timing hooks (benchmarks, tests).
    SequencePlayer& Player();

    // The sound test of the hidden "Error Test" button.
    void SoundTest();

private:
    std::mutex sysexMutex_;  // one system-exclusive send at a time
    std::vector<std::uint8_t> SysExBuffer;
    std::unique_ptr<SequencePlayer> player_;
    void songEnded() override;
    void reportError(platform::MmResult status) const;
    void sendEvent(const anyEvent& event, std::optional<std::int64_t> dueMicros);
    void sendSysEx(const sysexEvent& event, std::optional<std::int64_t> dueMicros);
};
