#pragma once
// The performer: the musical state of the one voice the instrument plays. Every
// change of that state goes out at once as MIDI channel messages through the
// gateway and, while a recording runs, is appended to the recording with its
// time. The playing surface, the control panel, the recorder and the shell
// change the sound only through it. It runs on the window thread only and
// locks nothing; the pauses after some sends block the caller on purpose, to
// give the tone module time to take them in.
//
// The program has one performer, owned by its session (perform/session.h),
// which attaches it to the session's gateway. A performer without a gateway
// drops its messages as if no device were open, and the state and the
// recording change all the same.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <limits>
#include <string>

#include "mididata/song.h"
#include "perform/recordentry.h"
#include "platform/clock.h"

class MidiGateway;

class TVidize {
public:
    // Blocks the calling thread for that many milliseconds; platform::Sleep
    // unless a test wants the pauses without the waiting.
    using PauseFunction = std::function<void(std::uint32_t milliseconds)>;
    // The millisecond counter that times the recorded entries;
    // platform::timeGetTime unless a test sets the time itself (to watch the
    // counter wrap, say).
    using ClockFunction = std::function<std::uint32_t()>;

    static constexpr std::uint32_t kNoteSounding = 1;  // bit 0 of PerformerFlags
    static constexpr std::uint32_t kRecording = 2;     // bit 1 of PerformerFlags

    explicit TVidize(MidiGateway* gateway = nullptr, PauseFunction pause = platform::Sleep,
                     ClockFunction clock = platform::timeGetTime);
    ~TVidize();
    TVidize(const TVidize&) = delete;
    TVidize& operator=(const TVidize&) = delete;

    // Where the messages go from now on; nullptr drops them.
    void attach(MidiGateway* gateway) { gateway_ = gateway; }
    MidiGateway* gateway() const { return gateway_; }

    // The musical fields are zero until InitSound gives them their defaults.
    std::uint8_t Channel = 0;  // 0-15
    std::uint8_t ProgramNo = 0;
    std::uint8_t BankMSB = 0;
    std::uint8_t BankLSB = 0;
    std::uint8_t ChannelVolume = 0;  // controller 7
    std::uint8_t Note = 0;           // the centre note that NoteOn and NoteOff play
    std::uint8_t Velocity = 0;
    std::uint8_t PitchBendRange = 0;      // semitones
    std::uint8_t ModulationDepth = 0;     // controller 1
    std::uint8_t ReverbLevel = 0;         // controller 91
    std::uint8_t ChorusLevel = 0;         // controller 93
    std::uint8_t ExpressionLevel = 0;     // controller 11
    std::int32_t PitchBend = 0;           // 0-16383, 8192 = no bend
    midiSong Song;                        // what the recorder turns the recording into
    std::uint32_t PerformerFlags = 0;     // kNoteSounding, kRecording
    std::uint32_t LastTime = 0;           // the clock's reading at the previous entry
    std::uint32_t NowTime = 0;            // the clock's reading at the entry being appended
    RecordEntry* CurrentEntry = nullptr;  // the entry appended last
    // The recording in the order of the changes. A deque, because entries keep
    // their address while it grows (CurrentEntry stays valid) and it grows in
    // small blocks without ever copying what was recorded.
    std::deque<RecordEntry> Entries;

    // Sets the defaults (channel 0, program 78, note 69, velocity 120, range 12,
    // volume 100, reverb 40, expression 127, no bend), ends the note and the
    // recording without sending a note-off, then sends General MIDI System On
    // (pause 50 ms), the program and the bend range.
    void InitSound();
    // Starts the centre note unless it is sounding.
    void NoteOn();
    // Ends the sounding note with a velocity-0 note-on.
    void NoteOff();
    // A bank byte of -1 is not sent; the fields keep the low bytes of all three.
    void SetProgram(std::int32_t bankMsb, std::int32_t bankLsb, std::int32_t program);
    // Registered parameter 0 (controllers 101, 100, 6), 2 ms after each.
    void SetPitchBendRange(std::int32_t semitones);
    // SetPitchBend and SetExpression send and record only when the value
    // changes, since pointer movements call them many times a second.
    void SetPitchBend(std::int32_t value);
    void SetExpression(std::int32_t value);
    // Stored for the next note-on; nothing is sent.
    void SetVelocity(std::int32_t value);
    void SetChannelVolume(std::int32_t value);
    void SetModulation(std::int32_t value);
    void SetReverb(std::int32_t value);
    void SetChorus(std::int32_t value);
    // Changes the centre note and sends nothing, unless a note sounds on the
    // old number: that one is ended first (a NoteOff), so that it cannot hang.
    // A change is recorded (RecordKind::CentreNote), so that a replay plays
    // each note on the centre note of its time.
    void SetNote(std::int32_t note);
    // The panic button: ends the sounding note and silences every channel of
    // the tone module (the gateway's SoundOffAll: all sound off and reset all
    // controllers), so the next NoteOn starts a new note. The reset centres
    // the bend, opens the expression and clears the modulation on the module:
    // the performer takes the first two as they now are (and records them) and
    // sends its modulation depth again, so the panel's depth still holds.
    void Panic();
    // Moves the voice to channel 0-15 and sends every setting there; any
    // other number changes nothing.
    void SetChannel(std::int32_t channel);
    // Program, bend range, velocity, volume, modulation, reverb and chorus, in
    // this order, on the current channel.
    void SendAll();
    // After the player has had the tone module (a replay or a file played to
    // its end, or stopped, which resets every controller of every channel):
    // SendAll, then the bend and the expression as the performer holds them,
    // so that the module holds the performer's state again.
    void Resync();

    bool IsRecording() const { return (PerformerFlags & kRecording) != 0; }
    bool HasRecording() const { return !Entries.empty(); }

    // --- The recorder (perform/recorder.cpp) ---
    // Empties the recording, records the settings that hold now (all with
    // delta 0) and starts timing from this moment.
    void StartRecording();
    // Appends, with delta 0: program and banks, volume, velocity, modulation,
    // bend range, reverb and chorus.
    // Answers false when the recording could not take them (see AppendEntry).
    bool RecordSnapshot();
    // The entries stay until the next StartRecording.
    void StopRecording();
    // Turns the recording into one track of `song` at 480 ticks per quarter
    // note and 480000 microseconds per quarter note, so one tick is one
    // millisecond, on the current channel. The notes are played on the centre
    // note of their time (the current Note when the recording never changed
    // it) with the velocity recorded last before them; the performer's own
    // Note and Velocity stay as they are.
    void BuildSong(midiSong& song);
    // The same into Song, the song Replay plays.
    void BuildSong();
    // Stops whatever the player plays (it may be Song's own track), rebuilds
    // Song and plays it. Without a gateway or an open device nothing sounds.
    void Replay();
    void StopReplay();
    bool IsReplaying() const;
    // Writes the recording as a Standard MIDI File. The file is built from a
    // song of its own, so a replay that is playing Song goes on untouched.
    // A failure is reported through the message sink and answered with false.
    bool SaveRecording(const std::string& fileName);

    // Appends an entry timed by the clock, whether or not a recording
    // runs (the setters check that themselves). When the recording cannot grow
    // (no memory, or the limit below), the recording stops with a message,
    // what was recorded stays, and the answer is false.
    bool AppendEntry(std::int32_t kind, std::int32_t value);
    // The most entries a recording may hold; unlimited unless set.
    void setEntryLimit(std::size_t limit) { entryLimit_ = limit; }

private:
    MidiGateway* gateway_;
    PauseFunction pause_;
    ClockFunction clock_;
    std::size_t entryLimit_ = std::numeric_limits<std::size_t>::max();

    void sendControl(int controller, int value);
    void record(std::int32_t kind, std::int32_t value);
    void stopFullRecording();
};
