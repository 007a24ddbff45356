// Read MIDI file, Play MIDI and Save as MIDI file on the main window, with
// small files written inline and the dialogs answered by the tests.
#include <QAction>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QStatusBar>

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>

#include "app/widgets.h"
#include "mainwindow_fixture.h"
#include "mididata/smf_test_support.h"
#include "midispec/midispec.h"

namespace {

// What Resync sends: program with both banks, three range messages, volume,
// modulation, reverb, chorus, bend and expression.
constexpr std::ptrdiff_t kResyncMessages = 12;

using smftest::timed;

const smftest::Bytes kGmSystemOn = {0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
const smftest::Bytes kGsReset = {0xF0, 0x0A, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7};
const smftest::Bytes kXgSystemOn = {0xF0, 0x08, 0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7};
const smftest::Bytes kGsModeSet1 = {0xF0, 0x0A, 0x41, 0x10, 0x42, 0x12, 0x00, 0x00, 0x7F, 0x00, 0x01, 0xF7};
const char* const kNoEmptyChannel = "No empty channel.\n空きチャンネルがありません。Try another MIDI file.";

// The wire form of a reset message: the file's bytes without the length.
smftest::Bytes wire(const smftest::Bytes& fileForm)
{
    smftest::Bytes bytes{0xF0};
    bytes.insert(bytes.end(), fileForm.begin() + 2, fileForm.end());
    return bytes;
}

// One short note on each of the channels.
smftest::Bytes notesOn(std::initializer_list<int> channels)
{
    std::vector<std::pair<std::int32_t, smftest::Bytes>> events;
    for (int channel : channels) {
        events.push_back({0, {std::uint8_t(0x90 | channel), 60, 100}});
        events.push_back({10, {std::uint8_t(0x80 | channel), 60, 0}});
    }
    return timed(events);
}

// A key signature: sharps (negative for flats) and mode.
smftest::Bytes keySignature(int sf, int mode)
{
    return {0xFF, 0x59, 0x02, std::uint8_t(sf), std::uint8_t(mode)};
}

using Scale = std::array<std::uint8_t, 128>;

Scale scaleOf(int sf, int mode)
{
    const Scale before = ScaleTable;
    SelectGridKey(sf, mode);
    const Scale scale = ScaleTable;
    ScaleTable = before;
    return scale;
}

class FileCommands : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        Performer().Entries.clear();
    }

    // Writes the file into the program folder and answers the open dialog with it.
    QString writeMidi(const QString& name, const smftest::Bytes& bytes)
    {
        const QString path = folderPath() + name;
        smftest::writeFile(path.toStdString(), bytes);
        return path;
    }

    void read(const QString& path)
    {
        form->OpenDialog1 = [path] { return path; };
        form->OpenMIDI->trigger();
    }

    void readFile(const smftest::Bytes& bytes) { read(writeMidi(QStringLiteral("song.mid"), bytes)); }

    void cancelRead()
    {
        form->OpenDialog1 = [] { return QString(); };
        form->OpenMIDI->trigger();
    }

    // What was sent after the sound-off messages that every command starts with.
    std::vector<platform::CapturedMessage> afterStopping() const
    {
        std::vector<platform::CapturedMessage> all = capturedMessages();
        const auto soundOff = [](const platform::CapturedMessage& m) {
            return !m.isLong && (m.bytes[0] & 0xF0) == 0xB0 && (m.bytes[1] == 120 || m.bytes[1] == 121);
        };
        // The Stop action's sound-off is followed by the panel sent again
        // (Resync); the player's own stop before a song follows that.
        all.erase(all.begin(), std::find_if_not(all.begin(), all.end(), soundOff));
        all.erase(all.begin(), all.begin() + std::min<std::ptrdiff_t>(kResyncMessages, std::ssize(all)));
        all.erase(all.begin(), std::find_if_not(all.begin(), all.end(), soundOff));
        return all;
    }

    std::vector<Bytes> longMessages() const
    {
        std::vector<Bytes> all;
        for (const platform::CapturedMessage& m : capturedMessages())
            if (m.isLong)
                all.push_back(m.bytes);
        return all;
    }

    // A one-pixel picture on the grid layer, so that a redraw shows.
    static QImage placeholder()
    {
        QImage image(1, 1, QImage::Format_RGB32);
        image.fill(Qt::black);
        return image;
    }
};

}  // namespace

TEST_F(FileCommands, MovesThePerformerToTheFirstChannelTheFileLeavesFree)
{
    clearCaptured();
    readFile(smftest::smf(1, {notesOn({0}), notesOn({1})}));
    EXPECT_EQ(Performer().Channel, 2);
    EXPECT_EQ(form->channnelText->text(), QStringLiteral("3"));
    // The instrument's settings follow it to its new channel.
    const std::vector<Bytes> sent = captured();
    EXPECT_NE(std::find(sent.begin(), sent.end(), Bytes{0xC2, 78}), sent.end());

    // Percussion (index 9, shown as 10) is never taken.
    readFile(smftest::smf(0, {notesOn({0, 1, 2, 3, 4, 5, 6, 7, 8})}));
    EXPECT_EQ(Performer().Channel, 10);
    EXPECT_EQ(form->channnelText->text(), QStringLiteral("11"));
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(FileCommands, KeepsTheChannelAndSaysSoWhenOnlyPercussionIsFree)
{
    readFile(smftest::smf(1, {notesOn({0, 1})}));
    ASSERT_EQ(Performer().Channel, 2);

    readFile(smftest::smf(1, {notesOn({0, 1, 2, 3, 4, 5, 6, 7}), notesOn({8, 10, 11, 12, 13, 14, 15})}));

    EXPECT_EQ(messages, QStringList{QString::fromUtf8(kNoEmptyChannel)});
    EXPECT_EQ(Performer().Channel, 2);
    EXPECT_EQ(form->channnelText->text(), QStringLiteral("3"));
}

TEST_F(FileCommands, SendsTheResetsTheFileCallsForAfterStoppingEverything)
{
    clearCaptured();
    readFile(smftest::smf(1, {notesOn({0})}));
    EXPECT_EQ(longMessages(), (std::vector<Bytes>{wire(kGmSystemOn)}));
    // Everything stops first: sound off on all sixteen channels.
    ASSERT_GE(captured().size(), 32u);
    EXPECT_EQ(captured()[0], (Bytes{0xB0, 120, 0}));

    clearCaptured();
    readFile(smftest::smf(1, {timed({{0, kXgSystemOn}})}));
    EXPECT_EQ(longMessages(), (std::vector<Bytes>{wire(kXgSystemOn)}));

    // The second play sends the track again: GM System On once more, then the GS Reset.
    clearCaptured();
    readFile(smftest::smf(1, {timed({{0, kGmSystemOn}, {0, kGsReset}})}));
    EXPECT_EQ(longMessages(), (std::vector<Bytes>{wire(kGmSystemOn), wire(kGmSystemOn), wire(kGsReset)}));
    EXPECT_FALSE(Performer().IsReplaying());
}

TEST_F(FileCommands, DrawsTheGridInTheKeyTheFileStartsIn)
{
    form->Image4->setPicture(placeholder());
    readFile(smftest::smf(1, {timed({{0, keySignature(-3, 0)}})}));
    EXPECT_EQ(ScaleTable, scaleOf(-3, 0));
    const QImage drawn = form->Image4->Picture;
    EXPECT_EQ(drawn.size(), form->Image4->size());
    form->DrawGrid();
    EXPECT_EQ(form->Image4->Picture, drawn);

    // A key signature after tick 1 does not count: C major.
    readFile(smftest::smf(1, {timed({{2, keySignature(1, 0)}})}));
    EXPECT_EQ(ScaleTable, scaleOf(0, 0));

    readFile(smftest::smf(1, {timed({{0, keySignature(1, 1)}})}));
    EXPECT_EQ(ScaleTable, scaleOf(1, 1));
}

TEST_F(FileCommands, CancelledReadRedrawsTheGridInTheKeyOfTheFileReadLast)
{
    // Before any file, a cancel means C major.
    form->GridKeyItems[1]->trigger();  // G
    cancelRead();
    EXPECT_EQ(ScaleTable, scaleOf(0, 0));

    readFile(smftest::smf(1, {timed({{0, keySignature(1, 0)}}), notesOn({0})}));
    form->GridKeyItems[2]->trigger();  // F
    ASSERT_EQ(ScaleTable, scaleOf(-1, 0));
    const QString fName = form->GridKeyName;
    form->Image4->setPicture(placeholder());
    clearCaptured();

    cancelRead();

    EXPECT_EQ(ScaleTable, scaleOf(1, 0));
    EXPECT_EQ(form->Image4->Picture.size(), form->Image4->size());
    // The menu ticks the key in use, as there.cfg keeps it; nothing was stopped or sent.
    EXPECT_NE(form->GridKeyName, fName);
    EXPECT_EQ(form->GridKeyName, form->GridKeyItems[1]->text());
    EXPECT_TRUE(form->GridKeyItems[1]->isChecked());
    EXPECT_TRUE(capturedMessages().empty());
}

TEST_F(FileCommands, ABrokenFileIsReportedAndTheSongReadBeforeStays)
{
    readFile(smftest::smf(1, {notesOn({0, 1})}));
    messages.clear();

    read(writeMidi(QStringLiteral("broken.mid"), {'M', 'T', 'h', 'x', 0, 0}));

    ASSERT_EQ(messages.size(), 1);
    EXPECT_FALSE(messages[0].isEmpty());
    EXPECT_EQ(Performer().Channel, 2);
    clearCaptured();
    form->PlayMIDI->trigger();
    ASSERT_TRUE(waitUntil([this] { return afterStopping().size() >= 4; }));
    EXPECT_EQ(afterStopping()[0].bytes, (Bytes{0x90, 60, 100}));
}

TEST_F(FileCommands, PlayMidiBeforeAnyReadOnlyStops)
{
    clearCaptured();
    form->PlayMIDI->trigger();
    QTest::qWait(50);

    // The stop silences every channel, then the panel goes out again.
    const std::vector<Bytes> sent = captured();
    ASSERT_EQ(sent.size(), 32u + kResyncMessages);
    EXPECT_EQ(sent.front(), (Bytes{0xB0, 120, 0}));
    EXPECT_EQ(sent[31], (Bytes{0xBF, 121, 0}));
    EXPECT_EQ(sent.back(), (Bytes{0xB0, 11, 127}));
    EXPECT_FALSE(Performer().IsReplaying());
}

TEST_F(FileCommands, PlayMidiPlaysTheFileWithoutItsGsModeMessages)
{
    readFile(smftest::smf(1, {timed({{0, kGsModeSet1}, {0, {0xFF, 0x51, 0x03, 0x03, 0xD0, 0x90}}}),
                              timed({{0, {0x90, 60, 100}}, {240, {0x80, 60, 0}}, {0, {0xB0, 7, 90}}})}));
    clearCaptured();

    form->PlayMIDI->trigger();
    EXPECT_EQ(form->StatusBar1->currentMessage(), QStringLiteral("Skip sysEx"));
    // At the end of the file the panel goes out again.
    ASSERT_TRUE(
        waitUntil([this] { return !Performer().IsReplaying() && afterStopping().size() >= 3 + kResyncMessages; }));

    std::vector<platform::CapturedMessage> played = afterStopping();
    ASSERT_EQ(played.size(), 3 + kResyncMessages);
    played.resize(3);
    EXPECT_EQ(played[0].bytes, (Bytes{0x90, 60, 100}));
    EXPECT_EQ(played[1].bytes, (Bytes{0xB0, 7, 90}));
    EXPECT_EQ(played[2].bytes, (Bytes{0x90, 60, 0}));
    EXPECT_TRUE(longMessages().empty());
    // 240 ticks at 250000 microseconds per quarter note: an eighth of a second
    // from the song's start, which follows the stop's sound-off messages. (The
    // first note may be sent late on a loaded machine without moving the rest.)
    const std::vector<platform::CapturedMessage> all = capturedMessages();
    ASSERT_GT(all.size(), played.size() + kResyncMessages);
    const std::int64_t lastSoundOff = all[all.size() - played.size() - kResyncMessages - 1].micros;
    EXPECT_GE(played[2].micros - lastSoundOff, 124000);
}

// An editor's velocity of 204: read as it is, said once, and played as 127.
TEST_F(FileCommands, AFileWithDataBytesOver127IsReadSaidAndPlayedWithinTheirRange)
{
    readFile(smftest::smf(1, {timed({{0, {0x90, 60, 0xCC}}, {240, {0x80, 60, 0}}, {0, {0xB0, 7, 0x80}}})}));
    EXPECT_EQ(form->StatusBar1->currentMessage(),
              QStringLiteral("song.mid holds 2 data bytes above 127, kept as read and sent to a device as 127"));
    clearCaptured();
    form->PlayMIDI->trigger();
    ASSERT_TRUE(
        waitUntil([this] { return !Performer().IsReplaying() && afterStopping().size() >= 3 + kResyncMessages; }));
    const std::vector<platform::CapturedMessage> played = afterStopping();
    EXPECT_EQ(played[0].bytes, (Bytes{0x90, 60, 127}));
    EXPECT_EQ(played[1].bytes, (Bytes{0xB0, 7, 127}));
}

TEST_F(FileCommands, SavesTheRecordingAsTheSameFileEveryTime)
{
    Performer().StartRecording();
    moveMouse(form->Image4, {form->Image4->width() / 2, form->Image4->height() / 4});
    QTest::qWait(20);
    moveMouse(form->Panel1, {2, 2});
    Performer().StopRecording();
    const QString one = folderPath() + QStringLiteral("one.mid");
    const QString two = folderPath() + QStringLiteral("two.mid");

    form->SaveDialog1 = [one] { return one; };
    form->SaveMIDI->trigger();
    form->SaveDialog1 = [two] { return two; };
    form->SaveMIDI->trigger();

    EXPECT_TRUE(messages.isEmpty());
    const smftest::Bytes bytes = smftest::readFile(one.toStdString());
    EXPECT_EQ(bytes, smftest::readFile(two.toStdString()));
    midiSong back;
    back.loadFromMemory(bytes.data(), bytes.size());
    EXPECT_EQ(back.division, 480);
    EXPECT_EQ(back.tempoAt(0), 480000);
    EXPECT_EQ(back.resetFlags, 1u);
    int notes = 0;
    for (const midiTrack* track : back.tracks)
        for (const anyEvent* e : track->items())
            notes += e && e->kind() == kKindNoteOn && static_cast<const NoteOnEvent*>(e)->key == 69;
    EXPECT_EQ(notes, 1);

    // A cancelled dialog writes nothing.
    form->SaveDialog1 = [] { return QString(); };
    QFile::remove(one);
    form->SaveMIDI->trigger();
    EXPECT_FALSE(QFile::exists(one));
}

TEST_F(FileCommands, ASaveThatCannotBeWrittenIsReported)
{
    const QString path = folderPath() + QStringLiteral("missing/take.mid");
    form->SaveDialog1 = [path] { return path; };

    form->SaveMIDI->trigger();

    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(path)) << messages[0].toStdString();
    EXPECT_FALSE(QFile::exists(path));
}
