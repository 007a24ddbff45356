#pragma once
// The instrument while the program runs: the one owner of the gateway (the
// chosen device), the performer, the pitch axis, the song read from a file
// with its play track, the grid key and the correction's scale (and where
// each came from), pitch correction, the practice run and the recording with
// its unsaved state. The main window, the device window and the command-line
// tool are its clients: a window handler calls one operation and shows what
// comes back; nothing a window shows is kept only in the window.
//
// Everything runs on one thread (the window thread, or the command's own),
// except what the listener's songEnded says, which comes on the player's
// timer thread. Qt-free.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "midiout/practicechoices.h"
#include "midiout/practiceclock.h"
#include "midiout/renderaudio.h"
#include "perform/pitchcorrection.h"
#include "perform/scale.h"
#include "perform/takerecovery.h"

class MidiGateway;
struct PracticeReport;
struct PracticeTake;
struct TakePass;
class TVidize;
class midiSong;
class midiTrack;

// What the session tells its window, which marshals it to its own thread.
class SessionListener {
public:
    virtual ~SessionListener() = default;
    // A song or replay played to its end; called on the player's timer thread.
    // The window answers by calling Session::songFinished on its own thread.
    virtual void songEnded() {}
    // The instrument's state changed in a way the panel or the grid shows
    // (channel, program and bank, centre note, range, key, scale).
    virtual void stateChanged() {}
};

// The pitch axis of the surface: one copy that the performer, the surface
// mapping, the grid, the correction and the recorder read.
struct PitchAxis {
    std::int32_t centreNote = 69;
    std::int32_t rangeSemitones = 12;
    std::int32_t unitsPerSemitone = 682;  // 8192 div range
};

// Where a choice came from. A key or scale read from a file follows the next
// file; one the user chose stays until the user chooses again.
enum class ChoiceOrigin { Default, User, File };

struct GridKeyChoice {
    int sf = 0;    // -7..7 sharps (+) or flats (-)
    int mode = 0;  // 0 major, 1 minor
    ChoiceOrigin origin = ChoiceOrigin::Default;
};

// Where on the surface a sample was taken: the square, or one of the strips
// along its edges that play the highest and lowest notes of the range.
enum class SurfaceArea { Square, HighStrip, LowStrip };
enum class PointerSource { Mouse, Pen, Touch };
// Which axis of the square is pitch (pitch rises upwards, or to the right),
// and whether the easy mapping dwells on each semitone. The grid layer plays
// the layout the panel chose; the picture underneath keeps the plain upright one.
struct PitchMapping {
    bool horizontal = false;
    bool easy = false;
};

// One reading of the pointer, in the square's pixels (a strip reports the
// position along the square's edge it lies on). Pressure and tilt are those
// of a pen; a mouse presses fully and stands upright.
struct PointerSample {
    SurfaceArea area = SurfaceArea::Square;
    PitchMapping mapping;
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    double pressure = 1.0;  // 0..1
    double tiltX = 0;       // degrees
    double tiltY = 0;
    PointerSource source = PointerSource::Mouse;
};

// Where loudness comes from besides the loudness axis, and what else arrives
// from a pen or a MIDI controller. Nothing chosen: the axis alone, as a mouse plays.
struct InputChoices {
    static constexpr int kNoController = -1;
    bool loudnessFromPen = false;  // pen pressure; the note starts on touch and ends on lift
    bool tiltToModulation = false;
    int loudnessController = kNoController;  // 11 (expression), 2 (breath) or 4 (foot)
    bool midiThru = false;                   // what the input does not use goes to the output
    bool operator==(const InputChoices&) const = default;
};

// What a pointer sample asks the window to show.
struct SurfaceShow {
    std::string status;     // the status line
    bool settling = false;  // the correction wants settling steps (Session::settle)
};

// What reading a file did, for the window to show.
struct SongOpened {
    std::string fileName;  // without its folder
    int channel = -1;      // the instrument's channel, -1 when the song leaves none free
    std::string note;      // what reading found worth saying (highDataBytesNote), or empty
};

class Session {
public:
    // Blocks the caller for that many milliseconds while the tone module
    // takes in a reset; a window keeps drawing itself meanwhile.
    using PauseFunction = std::function<void(std::uint32_t milliseconds)>;
    // The millisecond clock of the correction's glide.
    using ClockFunction = std::function<std::uint32_t()>;

    struct Options {
        // The wait for a song's resets; platform::Sleep when empty.
        PauseFunction pause;
        // The performer's short pauses after its sends, which block on
        // purpose; platform::Sleep when empty.
        PauseFunction performerPause;
        ClockFunction clock;  // platform::timeGetTime when empty
        // The instrument's own messages reach the device; the command-line
        // tool plays songs only and leaves the module to them.
        bool playsInstrument = true;
    };

    Session();
    explicit Session(Options options);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    MidiGateway& gateway() { return *gateway_; }
    const MidiGateway& gateway() const { return *gateway_; }
    TVidize& performer() { return *performer_; }
    const TVidize& performer() const { return *performer_; }
    void setListener(SessionListener* listener) { listener_ = listener; }

    // --- Start-up ---
    // The performer's defaults and first messages (InitSound), the axis at
    // its defaults and the grid key C major.
    void initSound();

    // --- The pitch axis and the panel ---
    const PitchAxis& axis() const { return axis_; }
    // Moves the centre note (0..127); a note sounding on the old one ends.
    void setCentreNote(std::int32_t note);
    // 1..127 semitones; anything else is refused with "Bad range." and the
    // default range 12 is taken. Answers the range in use.
    std::int32_t setRange(std::int32_t semitones);
    // The panel's layout: pitch rises left to right instead of upwards (the
    // guide notes and the strips follow it).
    void setSurfaceLayout(bool horizontal);
    bool horizontal() const { return horizontal_; }

    // --- Playing the surface ---
    SurfaceShow pointerMoved(const PointerSample& sample);
    // The pointer left the surface: the note ends.
    void leaveSurface();
    // A settling step of the correction's glide; answers whether more follow.
    bool settle();

    // --- Pen, touch and a MIDI controller ---
    const InputChoices& inputChoices() const { return input_; }
    void setInputChoices(const InputChoices& choices);
    // One message from a MIDI input, on the session's thread, in the order
    // the input received them. A note-on moves the centre note, the
    // modulation wheel sets the modulation, the chosen loudness controller the
    // loudness, the sustain pedal holds the note past leaving the surface, a
    // program change chooses the instrument; the rest goes on only with MIDI thru.
    void midiIn(const std::uint8_t* bytes, std::size_t size);

    // --- The grid key and the correction ---
    const GridKeyChoice& gridKey() const { return key_; }
    void chooseKey(int sf, int mode);
    // The grid goes back to the key of the song read last (C major before
    // any), as after a cancelled read.
    void restoreSongKey();
    void chooseScale(ScaleKind scale);
    void chooseStrength(int percent);
    void setCorrection(const CorrectionSettings& settings);
    const PitchCorrection& correction() const { return correction_; }
    ChoiceOrigin scaleOrigin() const { return scaleOrigin_; }

    // --- Songs ---
    // Stops what plays, reads the file, resets the module as the song asks,
    // moves the instrument to a free channel ("No empty channel..." when there
    // is none) and takes the song's key. A file that cannot be read raises its
    // error naming the file and changes nothing.
    SongOpened openSong(const std::filesystem::path& path);
    // The same for a song read already (the command-line tool reads standard
    // input too); name is what the song is called.
    SongOpened takeSong(std::unique_ptr<midiSong> song, const std::string& name);
    const midiSong* song() const { return song_.get(); }
    // The file name (without its folder) the song was read from; empty before any.
    const std::string& songName() const { return songName_; }
    // The track the player plays the song from; null before the first play.
    const midiTrack* playTrack() const { return playTrack_.get(); }
    // Plays the song with the practice choices; false when no song was read
    // or the device is not open. onSkip is told of each GS mode message left out.
    bool play(const std::function<void()>& onSkip = {});
    // Stops the song or the replay; every channel is silenced and the module
    // gets the panel's settings again.
    void stop();
    // Stop, then silence every channel and reset its controllers.
    void panic();
    bool isPlaying() const;
    // On the session's thread after the listener's songEnded.
    void songFinished();

    // --- Practice ---
    const PracticeChoices& practiceChoices() const { return choices_; }
    void setPracticeChoices(const PracticeChoices& choices);
    // Loops bars from to to (0, 0: no loop). With a song read, a bound outside
    // it or a "to" before "from" is refused with a message naming its bar
    // count, and the loop stays as it was.
    bool setLoop(int from, int to);
    // Where the playing song is ("Bar 3:2  0:04.5  pass 2"); empty when none plays.
    std::string songPosition() const;
    // "Your part": the instrument takes the part's channel, bank and program.
    // Answers false when the song has no such part (the choice is then none).
    bool choosePart(int number);
    // The run the last play started, and whether it is still the song playing.
    bool practiceRunActive() const { return runActive_; }
    const PracticeClock& practiceClock() const { return clock_; }
    std::int64_t songStartMicros() const;
    // A take was recorded during the run and can be saved or scored.
    bool hasPracticeTake() const;
    // The recording on the song's clock, one track per pass (emptied first);
    // false without a take.
    bool buildPracticeTake(PracticeTake& take) const;
    // Writes the song with the take; a failure is reported through the message sink.
    bool savePracticeTake(const std::string& path);
    // Every pass of the take scored against your part, and the earlier
    // scores of the song's file and part in the practice log; no passes (and
    // a message through the sink) without a take or a part. A take's passes
    // are appended to the log the first time they are scored.
    PracticeReport scorePracticeTake();
    // A saved take (a file "Save practice take..." wrote, or any whose first
    // track holding notes is the take) scored against track part of the open
    // song, every pass of it, as the report scores the take just played;
    // nothing is logged. No passes when the song has no such track.
    PracticeReport scoreSavedTake(const midiSong& take, int part) const;
    // Where the practice log lives; none (the default) keeps no log.
    void setPracticeLog(const std::filesystem::path& path) { practiceLog_ = path; }

    // --- The recorder ---
    void startRecording();
    void stopRecording();
    bool replay();
    bool saveRecording(const std::string& path);
    // A take recorded and not saved since (also while it is still recording).
    bool hasUnsavedTake() const;
    // The user chose to let the take go: no question is asked for it again,
    // and its recovery file goes.
    void discardTake();
    // A take given back to the recorder from elsewhere (a recovery file) counts as unsaved.
    void markTakeUnsaved() { takeUnsaved_ = true; }

    // --- Keeping an unsaved take safe (perform/takerecovery.h) ---
    // Where an unsaved take is kept from now on; empty (the default) keeps none.
    void keepTakesIn(const std::filesystem::path& file) { recovery_.setFile(file); }
    // Has the unsaved take written to that file when it has grown since it
    // was last written, on a thread of its own; the window calls this at
    // least once a second.
    void keepTake();
    // The same, and returns once the take is on disk: before the program
    // ends without asking about it (a signal).
    void keepTakeNow();
    // A take was kept by a run that ended without saving it.
    bool hasKeptTake() const { return recovery_.hasFile(); }
    // Makes the kept take the recorded take, unsaved. Raises MidiDataError
    // when the file cannot be read; the file then stays as it is.
    void restoreKeptTake();
    // The kept take is not wanted (or not needed: the run ends with nothing unsaved).
    void dropKeptTake() { recovery_.remove(); }
    // A kept take that cannot be read is moved out of the way (and not
    // offered again); answers where it is now.
    std::filesystem::path setKeptTakeAside() { return recovery_.setAside(); }

    // --- Export audio (perform/sessionexport.cpp) ---
    // Renders the read song with the practice take in it when there is one,
    // else the recording, through the built-in synth into a WAV or FLAC file
    // (midiout/renderaudio.h), whole or not at all. The take is rendered from
    // the very file its save would write, so the audio equals what
    // "orvelline-midi render" makes of that file, sample for sample. It
    // carries the panel's settings as the performer recorded them.
    RenderResult exportAudio(const std::string& path, const RenderOptions& options,
                             const RenderProgress& progress = {});

private:
    Options options_;
    std::unique_ptr<MidiGateway> gateway_;
    std::unique_ptr<TVidize> performer_;
    SessionListener* listener_ = nullptr;

    PitchAxis axis_;
    bool horizontal_ = false;

    InputChoices input_;
    std::int32_t controllerLoudness_ = 127;
    bool sustained_ = false;
    bool leftWhileSustained_ = false;

    GridKeyChoice key_;
    PitchCorrection correction_;
    ChoiceOrigin scaleOrigin_ = ChoiceOrigin::Default;

    std::unique_ptr<midiSong> song_;
    std::unique_ptr<midiTrack> playTrack_;

    PracticeChoices choices_;
    PracticeClock clock_;
    bool runActive_ = false;
    bool takeRecorded_ = false;
    std::int64_t recordingStartMicros_ = 0;
    bool takeUnsaved_ = false;
    TakeRecovery recovery_;
    bool takeLogged_ = false;
    std::filesystem::path practiceLog_;
    std::string songName_;

    std::uint32_t now() const;
    void takeSaved();
    void pause(std::uint32_t milliseconds) const;
    void changed();
    void applyKey(int sf, int mode, ChoiceOrigin origin);
    std::int32_t corrected(std::int32_t bend);
    void endNote();
    void sustain(bool held);
    std::int32_t loudnessOf(const PointerSample& sample, std::int32_t axisLoudness) const;
    std::string statusFor(std::int32_t loudness, std::int32_t bend, std::int32_t note, std::int32_t cents) const;
    PracticeReport scored(const midiTrack& part, const midiSong& take, const std::vector<TakePass>& passes) const;
};
