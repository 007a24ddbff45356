#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "mididata/bytestream.h"
#include "mididata/event.h"
#include "mididata/messagesink.h"
#include "mididata/smf_test_support.h"
#include "mididata/song.h"

using namespace smftest;

namespace {

trackNameEvent* name(std::int32_t t, const std::string& text)
{
    auto* e = new trackNameEvent(t);
    e->setText(text);
    return e;
}

midiTrack* addTrack(midiSong& song)
{
    auto* t = new midiTrack(&song, std::int32_t(song.tracks.size()), "");
    song.tracks.push_back(t);
    return t;
}

// Collects what the core reports while it lives, and puts the old sink back.
class SinkCapture {
public:
    SinkCapture()
    {
        previous_ = setMessageSink([this](const std::string& m) { messages.push_back(m); });
    }
    ~SinkCapture() { setMessageSink(std::move(previous_)); }
    std::vector<std::string> messages;

private:
    MessageSink previous_;
};

const Bytes kHeader1 = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 1, 0x01, 0xE0};
const Bytes kHeader0 = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0x01, 0xE0};

}  // namespace

TEST(SmfWriter, WritesAOneNoteSongByteForByte)
{
    midiSong song;
    song.format = 1;
    midiTrack* t = addTrack(song);
    NoteOnEvent* n = note(0, 0, 60, 100, 480);
    t->insertEvent(n, true);
    EXPECT_EQ(saveImage(song), join({kHeader1, {'M',  'T',  'r',  'k',  0,    0,    0,    0x0C, 0x00, 0x90,
                                                0x3C, 0x64, 0x83, 0x60, 0x3C, 0x00, 0x00, 0xFF, 0x2F, 0x00}}));
    ASSERT_EQ(t->size(), 1u);
    EXPECT_EQ(t->at(0), n);
    EXPECT_EQ(n->duration, 480);
    EXPECT_TRUE(t->durationForm);
}

TEST(SmfWriter, WritesEachEventFormWithRunningStatusForChannelMessages)
{
    midiSong song;
    song.format = 1;
    midiTrack* t = addTrack(song);
    t->insertEvent(note(0, 0, 60, 100, 480), true);
    t->insertEvent(control(480, 0, 7, 100), true);  // comes after the note-off of its tick
    t->insertEvent(note(480, 0, 62, 90, 0), true);  // no length: note-off right behind it
    auto* sx = new sysexEvent(480, 0xF0, 0);
    sx->bytes = {0x43, 0x10, 0xF7};
    t->insertEvent(sx, true);
    auto* skipped = control(500, 0, 1, 1);
    skipped->status = 0;
    t->insertEvent(skipped, true);
    auto* text = new textEvent(500);
    text->setText("hi");
    t->insertEvent(text, true);
    t->insertEvent(note(600, 0, 64, 100, 100), true);
    auto* bend = new PitchBendEvent(700, 0);
    bend->bend = 8192;
    t->insertEvent(bend, true);
    t->insertEvent(note(200000, 1, 65, 1, 1), true);

    const Bytes body = trackBody(saveImage(song), 0);
    EXPECT_EQ(body, (Bytes{0x00, 0x90, 0x3C, 0x64, 0x83, 0x60, 0x3C, 0x00, 0x00, 0xB0, 0x07, 0x64, 0x00, 0x90,
                           0x3E, 0x5A, 0x00, 0x3E, 0x00, 0x00, 0xF0, 0x03, 0x43, 0x10, 0xF7, 0x14, 0xFF, 0x01,
                           0x02, 'h',  'i',  0x64, 0x90, 0x40, 0x64, 0x64, 0x40, 0x00, 0x00, 0xE0, 0x00, 0x40,
                           0x8C, 0x95, 0x04, 0x91, 0x41, 0x01, 0x01, 0x41, 0x00, 0x00, 0xFF, 0x2F, 0x00}));
    EXPECT_EQ(t->size(), 9u);
}

TEST(SmfWriter, Format0WritesOneTrackWithOnlyTheFirstTrackName)
{
    midiSong song;
    song.format = 0;
    midiTrack* a = addTrack(song);
    midiTrack* b = addTrack(song);
    a->insertEvent(name(0, "A"), true);
    a->insertEvent(note(0, 0, 60, 100, 96), true);
    b->insertEvent(name(0, "B"), true);
    b->insertEvent(note(48, 1, 62, 100, 96), true);
    const Bytes image = saveImage(song);
    EXPECT_EQ(image,
              join({kHeader0, chunk({0x00, 0xFF, 0x03, 0x01, 'A',  0x00, 0x90, 0x3C, 0x64, 0x30, 0x91, 0x3E, 0x64,
                                     0x30, 0x90, 0x3C, 0x00, 0x30, 0x91, 0x3E, 0x00, 0x00, 0xFF, 0x2F, 0x00})}));
    EXPECT_EQ(a->size(), 2u);
    EXPECT_EQ(b->size(), 2u);

    // Format 1 counts the tracks in the header; any format but 0 is written as 1.
    song.format = 5;
    const Bytes one = saveImage(song);
    ASSERT_GE(one.size(), 14u);
    EXPECT_EQ(Bytes(one.begin(), one.begin() + 14), (Bytes{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 2, 0x01, 0xE0}));
    EXPECT_EQ(trackBody(one, 1),
              (Bytes{0x00, 0xFF, 0x03, 0x01, 'B', 0x30, 0x91, 0x3E, 0x64, 0x60, 0x3E, 0x00, 0x00, 0xFF, 0x2F, 0x00}));
}

TEST(SmfWriter, KeepsEveryTrackNameOfATrackInItsPlace)
{
    midiSong song;
    song.format = 1;
    midiTrack* t = addTrack(song);
    t->insertEvent(name(0, "a"), true);
    t->insertEvent(control(10, 0, 7, 100), true);
    t->insertEvent(name(20, "b"), true);
    t->insertEvent(control(30, 0, 7, 101), true);
    EXPECT_EQ(trackBody(saveImage(song), 0), (Bytes{0x00, 0xFF, 0x03, 0x01, 'a',  0x0A, 0xB0, 0x07, 0x64, 0x0A, 0xFF,
                                                    0x03, 0x01, 'b',  0x0A, 0xB0, 0x07, 0x65, 0x00, 0xFF, 0x2F, 0x00}));
    EXPECT_EQ(t->size(), 4u);
}

TEST(SmfWriter, WritesTheResetMessagesTheFlagsNameFirstInTheFirstTrack)
{
    const Bytes gm = {0x00, 0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
    const Bytes gs = {0x00, 0xF0, 0x0A, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7};
    const Bytes xg = {0x00, 0xF0, 0x08, 0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7};
    const Bytes cc = {0x00, 0xB0, 0x07, 0x64};
    const Bytes end = kEndOfTrack;
    struct Case {
        std::uint32_t flags;
        Bytes first;
    };
    const Case cases[] = {
        {0, join({cc, end})},     {1, join({gm, cc, end})},     {2, join({gs, cc, end})},     {4, join({xg, cc, end})},
        {6, join({gs, cc, end})}, {3, join({gm, gs, cc, end})}, {7, join({gm, gs, cc, end})},
    };
    for (const Case& c : cases) {
        midiSong song;
        song.format = 1;
        song.resetFlags = c.flags;
        addTrack(song)->insertEvent(control(0, 0, 7, 100), true);
        addTrack(song)->insertEvent(control(0, 0, 7, 100), true);
        const Bytes image = saveImage(song);
        EXPECT_EQ(trackBody(image, 0), c.first) << "flags " << c.flags;
        EXPECT_EQ(trackBody(image, 1), join({cc, end})) << "flags " << c.flags;
        EXPECT_EQ(song.tracks[0]->size(), 1u);
        EXPECT_EQ(song.resetFlags, c.flags);

        // One merged track: the second control change shares the status of the first.
        song.format = 0;
        const Bytes resets(c.first.begin(), c.first.end() - 8);
        EXPECT_EQ(trackBody(saveImage(song), 0), join({resets, cc, {0x00, 0x07, 0x64}, end}))
            << "format 0, flags " << c.flags;
    }
}

TEST(SmfWriter, WritingTwiceGivesTheSameFileAndKeepsTheDurations)
{
    midiSong song;
    song.format = 1;
    midiTrack* t = addTrack(song);
    NoteOnEvent* a = note(0, 0, 60, 100, 480);
    NoteOnEvent* b = note(240, 0, 60, 100, 480);
    NoteOnEvent* c = note(240, 0, 61, 100, 0);
    NoteOnEvent* inner = note(300, 0, 60, 100, 10);
    for (NoteOnEvent* n : {a, b, c, inner})
        t->insertEvent(n, true);
    const Bytes first = saveImage(song);
    EXPECT_EQ(a->duration, 480);
    EXPECT_EQ(b->duration, 480);
    EXPECT_EQ(c->duration, 0);
    EXPECT_EQ(inner->duration, 10);
    EXPECT_EQ(t->size(), 4u);
    EXPECT_TRUE(t->durationForm);
    EXPECT_EQ(saveImage(song), first);
    EXPECT_EQ(a->duration, 480);
    EXPECT_EQ(b->duration, 480);
    EXPECT_EQ(inner->duration, 10);
}

TEST(SmfWriter, WritesARecordedTrackWithItsOwnNoteOffsAsRecorded)
{
    for (std::int16_t format : {std::int16_t(0), std::int16_t(1)}) {
        midiSong song;
        song.format = format;
        song.resetFlags = 1;
        midiTrack* t = addTrack(song);
        t->durationForm = false;
        t->insertEvent(new TempoEvent(0, 0x51, 480000), true);
        t->insertEvent(note(0, 0, 60, 100, 0), true);
        t->insertEvent(note(100, 0, 60, 0, 0), true);
        t->insertEvent(note(100, 0, 62, 100, 0), true);
        t->insertEvent(note(250, 0, 62, 0, 0), true);
        const Bytes image = saveImage(song);
        EXPECT_EQ(Bytes(image.begin(), image.begin() + 14), format == 0 ? kHeader0 : kHeader1);
        EXPECT_EQ(trackBody(image, 0), (Bytes{0x00, 0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7, 0x00, 0xFF, 0x51,
                                              0x03, 0x07, 0x53, 0x00, 0x00, 0x90, 0x3C, 0x64, 0x64, 0x3C, 0x00,
                                              0x00, 0x3E, 0x64, 0x81, 0x16, 0x3E, 0x00, 0x00, 0xFF, 0x2F, 0x00}))
            << "format " << format;
        EXPECT_FALSE(t->durationForm);
        EXPECT_EQ(t->size(), 5u);
    }
}

TEST(SmfWriter, Format0KeepsTheNoteOffsOfTracksInDurationFormBesideARecordedTrack)
{
    midiSong song;
    song.format = 0;
    midiTrack* held = addTrack(song);
    held->insertEvent(note(0, 0, 60, 100, 480), true);
    midiTrack* recorded = addTrack(song);
    recorded->durationForm = false;
    recorded->insertEvent(note(0, 1, 62, 100, 0), true);
    recorded->insertEvent(note(240, 1, 62, 0, 0), true);
    EXPECT_EQ(trackBody(saveImage(song), 0), (Bytes{0x00, 0x90, 0x3C, 0x64, 0x00, 0x91, 0x3E, 0x64, 0x81, 0x70, 0x3E,
                                                    0x00, 0x81, 0x70, 0x90, 0x3C, 0x00, 0x00, 0xFF, 0x2F, 0x00}));
}

TEST(SmfWriter, EndsEachTrackAtItsEndTimeOrItsLastEvent)
{
    midiSong song;
    song.format = 1;
    midiTrack* t = addTrack(song);
    t->insertEvent(control(10, 0, 7, 100), true);
    t->endTime = 5000;
    midiTrack* early = addTrack(song);
    early->insertEvent(control(300, 0, 7, 100), true);
    early->endTime = 200;
    addTrack(song);
    const Bytes image = saveImage(song);
    EXPECT_EQ(trackBody(image, 0), (Bytes{0x0A, 0xB0, 0x07, 0x64, 0xA6, 0x7E, 0xFF, 0x2F, 0x00}));
    EXPECT_EQ(trackBody(image, 1), (Bytes{0x82, 0x2C, 0xB0, 0x07, 0x64, 0x00, 0xFF, 0x2F, 0x00}));
    EXPECT_EQ(trackBody(image, 2), kEndOfTrack);

    // A format 0 file ends with the song.
    song.format = 0;
    song.songLength = 6000;
    EXPECT_EQ(trackBody(saveImage(song), 0),
              (Bytes{0x0A, 0xB0, 0x07, 0x64, 0x82, 0x22, 0x07, 0x64, 0xAC, 0x44, 0xFF, 0x2F, 0x00}));
    song.format = 1;

    midiSong none;
    none.format = 1;
    EXPECT_EQ(saveImage(none), (Bytes{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 0, 0x01, 0xE0}));
}

TEST(SmfWriter, ALoadedSongSavedAndLoadedAgainHoldsTheSameEvents)
{
    const Bytes format0 =
        smf(0, {{0x00, 0xFF, 0x03, 0x04, 'S',  'o',  'n',  'g',  0x00, 0xFF, 0x58, 0x04, 0x06, 0x03, 0x18,
                 0x08, 0x00, 0xC0, 0x05, 0x00, 0x90, 0x3C, 0x64, 0x00, 0x99, 0x24, 0x64, 0x00, 0x90, 0x3C,
                 0x50, 0x60, 0x80, 0x3C, 0x40, 0x00, 0x89, 0x24, 0x40, 0x00, 0xB9, 0x07, 0x60, 0x60, 0x80,
                 0x3C, 0x40, 0x00, 0xE9, 0x00, 0x40, 0x83, 0x60, 0xFF, 0x01, 0x01, 'e'}});
    // The largest time takes a five-byte delta.
    const Bytes far = smf(1, {{0x00, 0x90, 0x3C, 0x64, 0x87, 0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0x01, 0x00}});
    for (const Bytes& original : {richFile(), format0, far}) {
        midiSong first;
        ASSERT_EQ(loadMessage(first, original), "");
        const std::string before = describeSong(first);
        const Bytes saved = saveImage(first);
        EXPECT_EQ(describeSong(first), before) << "saving changed the song";
        midiSong second;
        ASSERT_EQ(loadMessage(second, saved), "");
        EXPECT_EQ(describeSong(second), before);
        EXPECT_EQ(saveImage(second), saved);
    }
}

TEST(SmfWriter, SaveToFileWritesTheWholeFileAndItsSize)
{
    SinkCapture sink;
    TempDir dir("writer");
    const std::string path = dir.file("song.mid");
    writeFile(path, Bytes(5000, 0xAA));

    midiSong song;
    ASSERT_EQ(loadMessage(song, richFile()), "");
    const Bytes expected = saveImage(song);
    EXPECT_TRUE(song.saveToFile(path));
    EXPECT_EQ(readFile(path), expected);
    EXPECT_EQ(song.fileSize, std::int32_t(expected.size()));
    EXPECT_TRUE(sink.messages.empty());
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        EXPECT_EQ(entry.path().filename().string(), "song.mid");

    midiSong again;
    again.load(path);
    EXPECT_EQ(describeSong(again), describeSong(song));
}

TEST(SmfWriter, SaveToFileReportsFailuresAndLeavesTheOldFileAlone)
{
    TempDir dir("writer-fail");
    midiSong song;
    ASSERT_EQ(loadMessage(song, richFile()), "");
    ASSERT_TRUE(song.saveToFile(dir.file("good.mid")));
    ASSERT_GT(song.fileSize, 0);

    {
        SinkCapture sink;
        EXPECT_FALSE(song.saveToFile(dir.file("no-such-folder/song.mid")));
        EXPECT_EQ(sink.messages.size(), 1u);
        EXPECT_EQ(song.fileSize, 0);
        EXPECT_FALSE(std::filesystem::exists(dir.file("no-such-folder")));
    }
    {
        SinkCapture sink;
        const std::string folder = dir.file("folder.mid");
        std::filesystem::create_directory(folder);
        EXPECT_FALSE(song.saveToFile(folder));
        EXPECT_EQ(sink.messages.size(), 1u);
        EXPECT_TRUE(std::filesystem::is_directory(folder));
        EXPECT_TRUE(std::filesystem::is_empty(folder));
    }
    std::size_t entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        (void)entry;
        ++entries;
    }
    EXPECT_EQ(entries, 2u);  // good.mid, folder.mid: nothing left behind
}
