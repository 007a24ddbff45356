#include "perform/session.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include "mididata/messagesink.h"
#include "mididata/smf_test_support.h"
#include "mididata/song.h"
#include "mididata/track.h"
#include "midiout/midigateway.h"
#include "midiout/practiceparts.h"
#include "perform/intonation.h"
#include "perform/surfacemapping.h"
#include "perform/vidize.h"
#include "platform/capture.h"

using smftest::Bytes;
using smftest::timed;

namespace {

const Bytes kMinorKey = {0xFF, 0x59, 0x02, 0x00, 0x01};  // A minor
const Bytes kMajorKey = {0xFF, 0x59, 0x02, 0x00, 0x00};  // C major

class Counting : public SessionListener {
public:
    void stateChanged() override { ++changes; }
    int changes = 0;
};

// A session on the capture device, its pauses not waited for, reading files
// written to a folder of its own.
class SessionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        log = &platform::installCaptureBackend(1);
        previousSink = setMessageSink([this](const std::string& m) { messages.push_back(m); });
        Session::Options options;
        options.pause = [](std::uint32_t) {};
        options.performerPause = [](std::uint32_t) {};
        session = std::make_unique<Session>(options);
        session->setListener(&listener);
        ASSERT_EQ(session->gateway().OpenDevice(platform::MidiMapper), 0);
        session->initSound();
        folder = std::filesystem::temp_directory_path() / ("orv-session-" + std::to_string(getpid()));
        std::filesystem::create_directories(folder);
    }

    void TearDown() override
    {
        session.reset();
        setMessageSink(std::move(previousSink));
        platform::removeCaptureBackend();
        std::filesystem::remove_all(folder);
    }

    std::filesystem::path write(const std::string& name, const Bytes& bytes)
    {
        const std::filesystem::path path = folder / name;
        smftest::writeFile(path.string(), bytes);
        return path;
    }

    // The melody's E4 held at the pointer's place for E4 on the default axis
    // (centre A4, range 12), with the correction at full strength.
    int soundedNoteOfE4()
    {
        session->chooseStrength(100);
        PointerSample sample;
        sample.width = 240;
        sample.height = 240;
        sample.y = 120 + 120 * 5 / 12;  // five semitones below the centre
        session->pointerMoved(sample);
        return session->correction().aimAt(session->performer().PitchBend).note;
    }

    // The number of the one track of the song that holds notes.
    int onlyPart() const
    {
        const std::vector<PartChoice> parts = partChoices(*session->song());
        return parts.size() == 1 ? parts.front().number : -1;
    }

    platform::CaptureLog* log = nullptr;
    MessageSink previousSink;
    std::vector<std::string> messages;
    Counting listener;
    std::unique_ptr<Session> session;
    std::filesystem::path folder;
};

TEST_F(SessionTest, AScaleFromAFileFollowsTheNextFileAndOneTheUserChoseStays)
{
    const Bytes melody = timed({{0, {0x90, 64, 100}}, {480, {0x80, 64, 0}}});
    session->openSong(write("minor.mid", smftest::smf(1, {timed({{0, kMinorKey}}), melody})));
    EXPECT_EQ(session->correction().settings().scale, ScaleKind::NaturalMinor);
    EXPECT_EQ(session->gridKey().origin, ChoiceOrigin::File);

    session->openSong(write("major.mid", smftest::smf(1, {timed({{0, kMajorKey}}), melody})));
    EXPECT_EQ(session->correction().settings().scale, ScaleKind::Major);
    EXPECT_EQ(session->gridKey().mode, 0);
    EXPECT_EQ(soundedNoteOfE4(), 64) << "E4 stays E4 in C major, not E flat";

    session->chooseScale(ScaleKind::Dorian);
    session->openSong(folder / "minor.mid");
    EXPECT_EQ(session->correction().settings().scale, ScaleKind::Dorian);
    EXPECT_EQ(session->scaleOrigin(), ChoiceOrigin::User);

    session->chooseKey(2, 0);
    EXPECT_EQ(session->gridKey().origin, ChoiceOrigin::User);
    EXPECT_EQ(session->correction().root(), 2) << "D major's tonic";
}

TEST_F(SessionTest, YourPartGivesTheInstrumentThePartsVoiceAndTellsTheWindow)
{
    // Track 2 plays on channel 2 with the Flute (73) on bank 1.
    session->openSong(write(
        "parts.mid",
        smftest::smf(1, {timed({{0, kMajorKey}}),
                         timed({{0, {0xB1, 0, 1}}, {0, {0xC1, 73}}, {0, {0x91, 72, 100}}, {480, {0x81, 72, 0}}})})));
    const int before = listener.changes;
    ASSERT_TRUE(session->choosePart(onlyPart()));
    EXPECT_EQ(session->performer().Channel, 1);
    EXPECT_EQ(session->performer().ProgramNo, 73);
    EXPECT_EQ(session->performer().BankMSB, 1);
    EXPECT_GT(listener.changes, before);

    EXPECT_FALSE(session->choosePart(9));
    EXPECT_EQ(session->practiceChoices().part, PracticeChoices::kNoPart);
}

TEST_F(SessionTest, PanicDuringASongStopsItAndSilencesEveryChannel)
{
    session->openSong(write("long.mid", smftest::smf(0, {timed({{0, {0x90, 60, 100}}, {48000, {0x80, 60, 0}}})})));
    ASSERT_TRUE(session->play());
    ASSERT_TRUE(session->isPlaying());
    log->clear();

    session->panic();
    EXPECT_FALSE(session->isPlaying());
    int soundOff = 0;
    for (const platform::CapturedMessage& m : log->messages())
        soundOff += !m.isLong && m.bytes.size() == 3 && (m.bytes[0] & 0xF0) == 0xB0 && m.bytes[1] == 120;
    EXPECT_GE(soundOff, 16);
}

TEST_F(SessionTest, ATakeIsUnsavedFromRecStartUntilSavedOrLetGo)
{
    EXPECT_FALSE(session->hasUnsavedTake());
    session->startRecording();
    session->setCentreNote(60);
    session->stopRecording();
    EXPECT_TRUE(session->hasUnsavedTake());

    ASSERT_TRUE(session->saveRecording((folder / "take.mid").string()));
    EXPECT_FALSE(session->hasUnsavedTake());

    session->startRecording();
    EXPECT_TRUE(session->hasUnsavedTake());
    session->discardTake();
    EXPECT_FALSE(session->hasUnsavedTake());

    EXPECT_FALSE(session->saveRecording((folder / "no-such-folder" / "take.mid").string()));
}

// A whole practice run as a user makes one, without a window: a part, a
// count-in, a loop over the first bar, 70 % tempo, a take played along, the
// take saved with the song and scored.
TEST_F(SessionTest, APracticeRunRecordsATakeThatIsSavedWithTheSongAndScored)
{
    // Two bars of 4/4 at 480 beats a minute (a bar is half a second); the
    // melody holds A4 through the first bar.
    session->openSong(write("practice.mid", smftest::smf(1, {
                                                                timed({{0, {0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08}},
                                                                       {0, {0xFF, 0x51, 0x03, 0x01, 0xE8, 0x48}}}),
                                                                timed({{0, {0xC0, 73}},
                                                                       {0, {0x90, 69, 100}},
                                                                       {1920, {0x80, 69, 0}},
                                                                       {0, {0x90, 71, 100}},
                                                                       {1920, {0x80, 71, 0}}}),
                                                            })));
    ASSERT_TRUE(session->choosePart(onlyPart()));
    PracticeChoices choices = session->practiceChoices();
    choices.countIn = true;
    choices.loopFrom = 1;
    choices.loopTo = 1;
    choices.tempoPercent = 70;
    session->setPracticeChoices(choices);

    ASSERT_TRUE(session->play());
    EXPECT_TRUE(session->practiceRunActive());
    EXPECT_EQ(session->practiceClock().layout().countInTicks, 1920);
    session->startRecording();
    PointerSample centre;
    centre.x = centre.y = 120;
    centre.width = centre.height = 240;
    // A4, the centre note, from the count-in to about two thirds into the
    // first pass (a bar lasts 714 ms at 70 %).
    session->pointerMoved(centre);
    std::this_thread::sleep_for(std::chrono::milliseconds(1200));
    session->leaveSurface();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    session->stopRecording();
    session->stop();
    EXPECT_FALSE(session->isPlaying());
    ASSERT_TRUE(session->hasPracticeTake());

    const std::filesystem::path saved = folder / "practice take.mid";
    ASSERT_TRUE(session->savePracticeTake(saved.string()));
    EXPECT_FALSE(session->hasUnsavedTake());
    midiSong file;
    file.load(saved.string());
    const midiTrack* take = takeTrackOf(file);
    ASSERT_NE(take, nullptr);
    const std::vector<IntonationRow> rows =
        analyseIntonation(*session->song(), *trackNumbered(*session->song(), onlyPart()), file, *take);
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows.front().note, 69);
    EXPECT_NEAR(rows.front().centsMean, 0.0, 1.0) << "the middle pixel lies a hair below the centre";
    EXPECT_GT(rows.front().coverage, 0.5);
    EXPECT_TRUE(messages.empty()) << messages.front();
}

// What the capture device got since the last clear, as status and data bytes.
std::vector<Bytes> shortsOf(const platform::CaptureLog& log)
{
    std::vector<Bytes> shorts;
    for (const platform::CapturedMessage& m : log.messages())
        if (!m.isLong)
            shorts.push_back(m.bytes);
    return shorts;
}

TEST_F(SessionTest, AMidiControllerMovesTheCentreSetsModulationAndLoudnessAndHoldsTheNote)
{
    const auto in = [this](Bytes message) { session->midiIn(message.data(), message.size()); };
    in({0x90, 60, 90});
    in({0x80, 60, 0});
    EXPECT_EQ(session->axis().centreNote, 60) << "the key moves the centre; letting go leaves it";

    log->clear();
    in({0xB0, 1, 64});
    in({0xC0, 40});
    in({0xE0, 0, 80});  // no MIDI thru: left out
    EXPECT_EQ(shortsOf(*log), (std::vector<Bytes>{{0xB0, 1, 64}, {0xB0, 0, 0}, {0xB0, 32, 0}, {0xC0, 40}}))
        << "the program keeps the panel's bank";
    EXPECT_EQ(session->performer().ProgramNo, 40);

    InputChoices choices;
    choices.loudnessController = 2;  // breath
    choices.midiThru = true;
    session->setInputChoices(choices);
    in({0xB0, 2, 30});
    PointerSample sample;
    sample.width = sample.height = 240;
    sample.x = 120;  // the loudest place of the axis, which now plays no part
    sample.y = 120;
    session->pointerMoved(sample);
    EXPECT_EQ(session->performer().ExpressionLevel, 30);
    in({0xB0, 2, 50});
    EXPECT_EQ(session->performer().ExpressionLevel, 50);

    in({0xB0, 64, 127});
    log->clear();
    session->leaveSurface();
    EXPECT_TRUE(shortsOf(*log).empty()) << "the pedal holds the note";
    in({0xB0, 64, 0});
    in({0xE1, 0, 64});
    EXPECT_EQ(shortsOf(*log), (std::vector<Bytes>{{0x90, 60, 0}, {0xE1, 0, 64}}));
}

TEST_F(SessionTest, APenWithLoudnessFromPressureSoundsOnlyWhileItPresses)
{
    PointerSample pen;
    pen.source = PointerSource::Pen;
    pen.width = pen.height = 240;
    pen.x = 10;  // near the soft edge of the axis
    pen.y = 120;
    pen.pressure = 0;
    session->pointerMoved(pen);
    EXPECT_TRUE(session->performer().PerformerFlags & TVidize::kNoteSounding) << "without the choice a pen is a mouse";
    session->leaveSurface();

    InputChoices choices;
    choices.loudnessFromPen = true;
    session->setInputChoices(choices);
    log->clear();
    session->pointerMoved(pen);
    EXPECT_TRUE(shortsOf(*log).empty()) << "hovering sounds nothing";

    pen.pressure = 1;
    session->pointerMoved(pen);
    EXPECT_EQ(session->performer().ExpressionLevel, 127);
    pen.pressure = 0.5;
    session->pointerMoved(pen);
    EXPECT_EQ(session->performer().ExpressionLevel, surface::Loudness(250, 1000));
}

}  // namespace

TEST_F(SessionTest, AnUnsavedTakeIsKeptInItsFileUntilSavedOrLetGoAndTheNextRunRestoresIt)
{
    const std::filesystem::path kept = folder / "kept.mid";
    session->startRecording();
    session->keepTake();
    EXPECT_TRUE(std::filesystem::is_empty(folder)) << "no file unless the session is given one";

    session->keepTakesIn(kept);
    session->setCentreNote(60);
    session->keepTakeNow();
    EXPECT_TRUE(session->hasKeptTake());
    session->stopRecording();
    ASSERT_TRUE(session->saveRecording((folder / "take.mid").string()));
    EXPECT_FALSE(std::filesystem::exists(kept));

    session->startRecording();
    session->keepTakeNow();
    EXPECT_TRUE(std::filesystem::exists(kept)) << "kept from Rec.Start on";
    session->discardTake();
    EXPECT_FALSE(std::filesystem::exists(kept));

    session->startRecording();
    session->setCentreNote(62);
    session->stopRecording();
    session->keepTakeNow();
    Session next;
    next.keepTakesIn(kept);
    ASSERT_TRUE(next.hasKeptTake());
    next.restoreKeptTake();
    EXPECT_TRUE(next.hasUnsavedTake());
    EXPECT_TRUE(next.performer().HasRecording());
    next.dropKeptTake();
    EXPECT_FALSE(std::filesystem::exists(kept));
}
