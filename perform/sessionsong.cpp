// The session's songs: reading a file, playing it (for practice too), stopping
// it, and the takes recorded along with it.
#include <cstdint>
#include <deque>
#include <exception>
#include <stdexcept>
#include <utility>

#include "mididata/messagesink.h"
#include "mididata/song.h"
#include "mididata/track.h"
#include "midiout/midigateway.h"
#include "midiout/opensong.h"
#include "midiout/practiceparts.h"
#include "midiout/practicerun.h"
#include "midiout/sequenceplayer.h"
#include "perform/intonation.h"
#include "perform/practicelog.h"
#include "perform/practicetake.h"
#include "perform/session.h"
#include "perform/songposition.h"
#include "perform/vidize.h"
#include "platform/clock.h"

namespace {

const char* const kNoFreeChannel = "No empty channel.\n空きチャンネルがありません。Try another MIDI file.";
const char* const kNoOutput =
    "No MIDI output is open, so nothing can be played. Choose one with \"Device...\" (right-click outside the square).";

// When nothing can sound the user is told so plainly, and nothing starts: no
// status text that never ends, no Stop to press.
bool outputReady(const MidiGateway& gateway)
{
    if (gateway.isOpen())
        return true;
    reportMessage(kNoOutput);
    return false;
}

}  // namespace

SongOpened Session::openSong(const std::filesystem::path& path)
{
    stop();
    // A file that cannot be read raises its error here and changes nothing:
    // the song read before stays as it was. The reader's message does not say
    // which file it is about; the session does.
    auto song = std::make_unique<midiSong>();
    try {
        song->load(path.string());
    } catch (const std::exception& error) {
        throw std::runtime_error(path.filename().string() + ": " + error.what());
    }
    return takeSong(std::move(song), path.filename().string());
}

SongOpened Session::takeSong(std::unique_ptr<midiSong> song, const std::string& name)
{
    stop();
    // The play track may hold the old song's reset messages, which go with that song.
    if (playTrack_) {
        playTrack_->Clear();
        playTrack_->song = song.get();
    }
    song_ = std::move(song);
    choices_.part = PracticeChoices::kNoPart;
    runActive_ = false;
    takeRecorded_ = false;

    sendSongReset(*gateway_, *song_, [this](std::uint32_t ms) { pause(ms); });
    SongOpened opened;
    opened.fileName = name;
    opened.note = highDataBytesNote(*song_);
    songName_ = name;
    opened.channel = freeChannel(*song_);
    if (opened.channel >= 0)
        performer_->SetChannel(opened.channel);
    else if (options_.playsInstrument)
        reportMessage(kNoFreeChannel);
    restoreSongKey();
    return opened;
}

void Session::restoreSongKey()
{
    const keyEvent* key = song_ ? song_->keyAt(1) : nullptr;
    applyKey(key != nullptr ? std::int8_t(key->dataByte(0)) : 0, key != nullptr ? key->dataByte(1) : 0,
             song_ ? ChoiceOrigin::File : ChoiceOrigin::Default);
}

bool Session::play(const std::function<void()>& onSkip)
{
    if (song_ && !outputReady(*gateway_))
        return false;
    stop();
    if (!song_)
        return false;
    if (!playTrack_)
        playTrack_ = std::make_unique<midiTrack>(song_.get(), 0, std::string());
    playTrack_->song = song_.get();
    // With no practice choice made this plays the song as it is.
    PracticeRun run = playPractice(*gateway_, *song_, *playTrack_, choices_, onSkip);
    clock_ = run.clock;
    takeRecorded_ = false;
    runActive_ = gateway_->IsPlaying();
    return runActive_;
}

// There is one player: stopping also stops a replay. The stop silences every
// channel and resets its controllers, the note the pointer may be playing
// included; the tone module then gets the panel's settings again.
void Session::stop()
{
    performer_->NoteOff();
    // The command-line tool has no panel to silence a module for.
    if (options_.playsInstrument || gateway_->IsPlaying())
        gateway_->StopPlayback();
    performer_->Resync();
    correction_.release();
}

// Without a song the module is silenced alone, as it always was.
void Session::panic()
{
    if (gateway_->IsPlaying())
        stop();
    runActive_ = false;
    performer_->Panic();
    correction_.release();
}

bool Session::isPlaying() const
{
    return gateway_->IsPlaying();
}

// The song left the tone module with its own settings; it gets the panel's
// again, unless another song has started meanwhile.
void Session::songFinished()
{
    if (!gateway_->IsPlaying())
        performer_->Resync();
}

std::int64_t Session::songStartMicros() const
{
    return gateway_->Player().songStartMicros();
}

void Session::setPracticeChoices(const PracticeChoices& choices)
{
    const int part = choices_.part;
    choices_ = choices;
    choices_.part = part;
    choices_.tempoPercent = choices_.clampedTempoPercent();
}

bool Session::setLoop(int from, int to)
{
    if (from != 0 || to != 0) {
        if (song_) {
            if (const std::string problem = loopProblem(*song_, from, to); !problem.empty()) {
                reportMessage(problem);
                return false;
            }
        }
    }
    choices_.loopFrom = from;
    choices_.loopTo = to;
    return true;
}

std::string Session::songPosition() const
{
    if (!song_ || !runActive_ || !gateway_->IsPlaying())
        return {};
    return songPositionText(songPositionAt(*song_, clock_, platform::nowMicros() - songStartMicros()));
}

bool Session::choosePart(int number)
{
    choices_.part = PracticeChoices::kNoPart;
    if (number == PracticeChoices::kNoPart || !song_)
        return false;
    const PartVoice voice = partVoice(*song_, number);
    if (voice.channel < 0)
        return false;
    choices_.part = number;
    // The instrument plays your part in its own sound.
    performer_->SetChannel(voice.channel);
    performer_->SetProgram(voice.bankMsb, voice.bankLsb, voice.program);
    changed();
    return true;
}

bool Session::hasPracticeTake() const
{
    return takeRecorded_ && song_ && performer_->HasRecording();
}

bool Session::buildPracticeTake(PracticeTake& take) const
{
    if (!hasPracticeTake()) {
        reportMessage("No practice take yet: press Rec.Start while Play MIDI plays the song.");
        return false;
    }
    midiSong recorded;
    performer_->BuildSong(recorded);
    if (recorded.tracks.empty())
        return false;
    ::buildPracticeTake(*recorded.tracks.front(), clock_, recordingStartMicros_, take);
    return true;
}

bool Session::savePracticeTake(const std::string& path)
{
    PracticeTake take;
    if (!buildPracticeTake(take))
        return false;
    if (!::savePracticeTake(*song_, take, path))
        return false;
    takeSaved();
    return true;
}

PracticeReport Session::scored(const midiTrack& part, const midiSong& take, const std::vector<TakePass>& passes) const
{
    PracticeReport report;
    report.passes = scorePasses(*song_, part, take, passes);
    for (const IntonationRow& row : report.passes.front().rows)
        report.places.push_back(barBeatText(*song_, row.startTick));
    report.barStartsUs = barStartMicros(*song_);
    return report;
}

PracticeReport Session::scoreSavedTake(const midiSong& take, int part) const
{
    const midiTrack* track = song_ ? trackNumbered(*song_, part) : nullptr;
    if (!track)
        return {};
    // A take without notes is a take that left every note silent.
    const midiTrack silence(nullptr, 0, "");
    std::vector<TakePass> passes = takePassesOf(take);
    if (passes.empty())
        passes.push_back({1, &silence});
    return scored(*track, take, passes);
}

PracticeReport Session::scorePracticeTake()
{
    PracticeReport report;
    PracticeTake take;
    if (!buildPracticeTake(take))
        return report;
    const midiTrack* part = choices_.part == PracticeChoices::kNoPart ? nullptr : trackNumbered(*song_, choices_.part);
    if (!part) {
        reportMessage("Choose your part in the Practice menu to see how in tune you played it.");
        return report;
    }
    std::vector<TakePass> passes;
    for (const PracticeTake::Pass& pass : take.passes)
        passes.push_back({pass.number, pass.track.get()});
    report = scored(*part, *song_, passes);
    if (practiceLog_.empty())
        return report;
    report.earlier = readPracticeLog(practiceLog_, songName_, choices_.part);
    if (!takeLogged_) {
        std::vector<PracticeLogEntry> entries;
        const std::string time = practiceLogTime();
        for (const PassScore& score : report.passes)
            entries.push_back({time, songName_, choices_.part, score.pass, choices_.tempoPercent, score.summary});
        std::string error;
        if (appendPracticeLog(practiceLog_, entries, error))
            takeLogged_ = true;
        else
            reportMessage(error);
    }
    return report;
}

// A recording may start while a song plays: during a practice run it becomes
// the practice take, timed from the run's start.
void Session::startRecording()
{
    performer_->StartRecording();
    takeUnsaved_ = true;
    recovery_.takeChanged();
    keepTake();
    takeLogged_ = false;
    if (runActive_ && gateway_->IsPlaying()) {
        takeRecorded_ = true;
        recordingStartMicros_ = platform::nowMicros() - gateway_->Player().songStartMicros();
    }
}

void Session::stopRecording()
{
    performer_->StopRecording();
    if (!performer_->HasRecording()) {
        takeUnsaved_ = false;
        recovery_.remove();
    }
    keepTake();
}

bool Session::replay()
{
    if (!outputReady(*gateway_))
        return false;
    performer_->Replay();
    return true;
}

bool Session::saveRecording(const std::string& path)
{
    if (!performer_->SaveRecording(path))
        return false;
    takeSaved();
    return true;
}

// A take saved while it is still recording goes on growing, unsaved.
void Session::takeSaved()
{
    if (performer_->IsRecording())
        return;
    takeUnsaved_ = false;
    recovery_.remove();
}

bool Session::hasUnsavedTake() const
{
    return takeUnsaved_ && performer_->HasRecording();
}

void Session::discardTake()
{
    takeUnsaved_ = false;
    recovery_.remove();
}

void Session::keepTake()
{
    if (hasUnsavedTake())
        recovery_.keep(*performer_);
}

void Session::keepTakeNow()
{
    keepTake();
    recovery_.flush();
}

void Session::restoreKeptTake()
{
    std::deque<RecordEntry> entries = readTakeFile(recovery_.file());
    performer_->StopRecording();
    performer_->Entries = std::move(entries);
    performer_->CurrentEntry = nullptr;
    takeRecorded_ = false;
    takeUnsaved_ = true;
    recovery_.takeIsInFile(performer_->Entries.size());
}
