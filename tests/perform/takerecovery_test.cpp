// The file an unsaved take is kept in: read back, it builds the song the take
// built, byte for byte; it is rewritten only when the take has grown, and a
// failing write is said once.
#include "perform/takerecovery.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

#include "capturedperformer.h"
#include "mididata/messagesink.h"

namespace {

class TakeFile : public CapturedPerformer {
protected:
    void SetUp() override
    {
        CapturedPerformer::SetUp();
        previousSink = setMessageSink([this](const std::string& text) { reported.push_back(text); });
        folder = std::filesystem::temp_directory_path() / ("orv-takefile-" + std::to_string(getpid()));
        std::filesystem::create_directories(folder);
        file = folder / "take.mid";
    }
    void TearDown() override
    {
        setMessageSink(std::move(previousSink));
        std::filesystem::remove_all(folder);
        CapturedPerformer::TearDown();
    }

    static std::vector<char> bytesOf(const std::filesystem::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    // A take that touches every kind of entry: a bank left out, a velocity
    // and a centre note changed between notes, the range, the controllers.
    void recordTake()
    {
        performer->InitSound();
        performer->SetProgram(3, -1, 40);
        performer->StartRecording();
        const RecordEntry take[] = {
            {5, RecordKind::PitchBend, 9000},   {0, RecordKind::Expression, 100},
            {0, RecordKind::NoteOn, 0},         {40, RecordKind::PitchBend, 9100},
            {250, RecordKind::NoteOff, 0},      {0, RecordKind::CentreNote, centreNoteEntryValue(69, 60)},
            {10, RecordKind::Velocity, 90},     {3, RecordKind::NoteOn, 0},
            {7, RecordKind::Modulation, 30},    {1, RecordKind::BendRange, 2},
            {2, RecordKind::Reverb, 70},        {2, RecordKind::Chorus, 10},
            {1, RecordKind::ChannelVolume, 80}, {1, RecordKind::Program, programEntryValue(41, 2, 1)},
            {1000, RecordKind::NoteOff, 0},
        };
        performer->Entries.insert(performer->Entries.end(), std::begin(take), std::end(take));
    }

    MessageSink previousSink;
    std::vector<std::string> reported;
    std::filesystem::path folder;
    std::filesystem::path file;
};

}  // namespace

TEST_F(TakeFile, ReadBackItBuildsTheSameSongAsTheTake)
{
    recordTake();
    TakeRecovery recovery;
    recovery.setFile(file);
    recovery.keep(*performer);
    recovery.flush();
    const std::vector<char> written = bytesOf(file);
    ASSERT_FALSE(written.empty());

    TVidize restored;
    restored.Entries = readTakeFile(file);
    const std::filesystem::path again = folder / "again.mid";
    ASSERT_TRUE(writeTakeFile(restored, again));
    EXPECT_EQ(bytesOf(again), written);
    EXPECT_TRUE(reported.empty());
}

TEST_F(TakeFile, ATakeCutOffWhileANoteSoundsComesBackWithTheNoteEnded)
{
    recordTake();
    performer->Entries.pop_back();
    ASSERT_TRUE(writeTakeFile(*performer, file));
    int ons = 0, offs = 0;
    std::uint32_t offAt = 0, endsAt = 0, time = 0;
    for (const RecordEntry& entry : readTakeFile(file)) {
        time += entry.delta;
        ons += entry.kind == RecordKind::NoteOn;
        offs += entry.kind == RecordKind::NoteOff;
        if (entry.kind == RecordKind::NoteOff)
            offAt = time;
        endsAt = time;
    }
    EXPECT_EQ(ons, 2);
    EXPECT_EQ(offs, 2);
    EXPECT_EQ(offAt, endsAt) << "the last note ends where the take was cut off";
}

TEST_F(TakeFile, IsReplacedWholeWhenTheTakeGrowsAndAFailedWriteIsSaidOnce)
{
    recordTake();
    TakeRecovery recovery;
    recovery.setFile(file);
    recovery.keep(*performer);
    recovery.flush();
    const std::size_t before = readTakeFile(file).size();

    std::filesystem::remove(file);
    recovery.keep(*performer);
    recovery.flush();
    EXPECT_FALSE(std::filesystem::exists(file)) << "nothing new to write";

    performer->Entries.push_back({20, RecordKind::PitchBend, 100});
    recovery.keep(*performer);
    recovery.flush();
    EXPECT_EQ(readTakeFile(file).size(), before + 1);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()), 1)
        << "no temporary file is left beside it";

    // A folder where the file should be cannot be replaced by a file.
    std::filesystem::remove(file);
    std::filesystem::create_directory(file);
    performer->Entries.push_back({20, RecordKind::PitchBend, 200});
    recovery.keep(*performer);
    recovery.flush();
    performer->Entries.push_back({20, RecordKind::PitchBend, 300});
    recovery.keep(*performer);
    recovery.flush();
    EXPECT_EQ(reported.size(), 1u);

    recovery.remove();
    recovery.takeChanged();
    std::filesystem::remove(file);
    recovery.keep(*performer);
    recovery.flush();
    EXPECT_TRUE(std::filesystem::exists(file)) << "the next take is kept again";
}

TEST_F(TakeFile, AFileWithoutAVoiceIsNoTake)
{
    std::ofstream(file, std::ios::binary).write("MThd\0\0\0\6\0\0\0\1\1\xE0MTrk\0\0\0\4\0\xFF\x2F\0", 26);
    EXPECT_THROW(readTakeFile(file), std::exception);
    std::ofstream(file, std::ios::binary) << "not a MIDI file";
    EXPECT_THROW(readTakeFile(file), std::exception);
}
