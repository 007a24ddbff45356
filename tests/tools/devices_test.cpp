// "devices" and "play" against the capture devices: what the user sees listed,
// and what reaches the device chosen, in order, up to the final sound-off.
#include <gtest/gtest.h>

#include <atomic>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "mididata/smf_test_support.h"
#include "platform/capture.h"
#include "tools/devicescommand.h"
#include "tools/playcommand.h"

using namespace smftest;

namespace {

const Bytes kGmSystemOn = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
// As a file holds it: the length comes after F0.
const Bytes kGsModeSetInFile = {0xF0, 0x0A, 0x41, 0x10, 0x42, 0x12, 0x00, 0x00, 0x7F, 0x00, 0x01, 0xF7};

class CaptureDevices : public ::testing::Test {
protected:
    void SetUp() override { log = &platform::installCaptureBackend(2); }
    void TearDown() override { platform::removeCaptureBackend(); }

    platform::CaptureLog* log = nullptr;
    TempDir dir{"tools-play"};
};

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// The 32 messages that silence a device, from message `from` on: All Sound
// Off and Reset All Controllers on every channel, in channel order.
bool soundOffAt(const std::vector<platform::CapturedMessage>& messages, std::size_t from)
{
    if (messages.size() < from + 32)
        return false;
    for (std::size_t i = 0; i < 32; ++i) {
        const Bytes expected = {std::uint8_t(0xB0 + i / 2), std::uint8_t(i % 2 ? 121 : 120), 0};
        if (messages[from + i].bytes != expected)
            return false;
    }
    return true;
}

bool endsWithSoundOff(const std::vector<platform::CapturedMessage>& messages)
{
    return messages.size() >= 32 && soundOffAt(messages, messages.size() - 32);
}

PlayOptions quickOptions(int device)
{
    PlayOptions options;
    options.device = device;
    options.releaseTime = std::chrono::milliseconds(0);
    return options;
}

}  // namespace

TEST_F(CaptureDevices, DevicesListsTheDefaultRouteFirstNumberedForPlay)
{
    std::ostringstream out;
    EXPECT_EQ(runDevicesCommand(out), 0);
    EXPECT_EQ(linesOf(out.str()), (std::vector<std::string>{" -1  Default route (Capture 1) MIDI Mapper",
                                                            "  0  Capture 1 MIDI Port", "  1  Capture 2 MIDI Port"}));
}

TEST_F(CaptureDevices, PlaySendsTheResetTheSongAndTheSoundOffToTheChosenDevice)
{
    // A program change, then a note of 96 ticks (100 ms at the default tempo),
    // with a GS mode-set message that "Play MIDI" leaves out.
    const std::string path = dir.file("tiny.mid");
    writeFile(
        path,
        smf(0,
            {join({{0x00, 0xC0, 0x49}, {0x00}, kGsModeSetInFile, {0x00, 0x90, 0x45, 0x64, 0x60, 0x80, 0x45, 0x40}})}));
    std::atomic<bool> stop{false};
    std::ostringstream out, err;
    ASSERT_EQ(runPlayCommand(path, quickOptions(1), stop, out, err), 0) << err.str();
    EXPECT_EQ(err.str(), "");

    const auto messages = log->messages();
    // The reset of reading a file; "Play MIDI" stops what sounds and plays.
    ASSERT_EQ(messages.size(), 1u + 32u + 3u + 32u);
    for (const auto& m : messages)
        EXPECT_EQ(m.device, 1);
    EXPECT_EQ(messages[0].bytes, kGmSystemOn);
    EXPECT_TRUE(soundOffAt(messages, 1));
    EXPECT_EQ(messages[33].bytes, (Bytes{0xC0, 0x49}));
    EXPECT_EQ(messages[34].bytes, (Bytes{0x90, 0x45, 0x64}));
    EXPECT_EQ(messages[35].bytes, (Bytes{0x90, 0x45, 0x00})) << "the note ends with a velocity-0 note-on";
    // Measured from the sound-off before the song starts: the first group may
    // be sent late on a loaded machine without moving the rest.
    EXPECT_GE(messages[35].micros - messages[32].micros, 99000) << "the note-off is not sent before its time";
    EXPECT_TRUE(endsWithSoundOff(messages));
    EXPECT_EQ(log->closes(), 1);

    const std::string shown = out.str();
    EXPECT_NE(shown.find("Skip sysEx\n"), std::string::npos) << shown;
    EXPECT_NE(shown.find("001:01:096  0:00.1 / 0:00.1\n"), std::string::npos) << shown;
}

TEST_F(CaptureDevices, PlayStopsOnTheFlagAndSilencesTheDevice)
{
    // Twenty notes half a second apart: ten seconds that the stop cuts short.
    Bytes notes;
    for (int i = 0; i < 20; ++i)
        notes = join({notes, {0x00, 0x90, std::uint8_t(60 + i), 0x64, 0x83, 0x60, 0x80, std::uint8_t(60 + i), 0x40}});
    const std::string path = dir.file("long.mid");
    writeFile(path, smf(0, {notes}));
    std::atomic<bool> stop{false};
    std::thread stopper([&] {
        // The reset, the sound-off with which "Play MIDI" begins, the first note-on.
        log->waitForSize(1 + 32 + 1, std::chrono::seconds(10));
        stop.store(true);
    });
    std::ostringstream out, err;
    const int status = runPlayCommand(path, quickOptions(-1), stop, out, err);
    stopper.join();
    EXPECT_EQ(status, 130);
    EXPECT_NE(out.str().find("Stopped.\n"), std::string::npos);

    const std::size_t sent = log->size();
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    const auto messages = log->messages();
    EXPECT_EQ(messages.size(), sent) << "nothing is sent after the command returns";
    EXPECT_GE(messages.size(), 1u + 32u + 1u + 32u);
    EXPECT_LT(messages.size(), 1u + 32u + 40u + 32u) << "the song did not play to its end";
    EXPECT_TRUE(endsWithSoundOff(messages));
    for (const auto& m : messages)
        EXPECT_EQ(m.device, 0) << "the default route leads to the first device";
}

TEST_F(CaptureDevices, PlayFailsWithoutSendingWhenTheFileOrTheDeviceIsMissing)
{
    const std::string path = dir.file("one.mid");
    writeFile(path, smf(0, {{0x00, 0x90, 0x45, 0x64, 0x60, 0x80, 0x45, 0x40}}));
    std::atomic<bool> stop{false};

    std::ostringstream out, err;
    EXPECT_EQ(runPlayCommand(path, quickOptions(2), stop, out, err), 1);
    EXPECT_NE(err.str().find("MIDI device 2 did not open"), std::string::npos) << err.str();
    EXPECT_NE(err.str().find("not in the list"), std::string::npos) << "the platform's reason is shown: " << err.str();

    std::ostringstream out2, err2;
    EXPECT_EQ(runPlayCommand(dir.file("missing.mid"), quickOptions(0), stop, out2, err2), 1);
    EXPECT_NE(err2.str().find("missing.mid"), std::string::npos) << err2.str();

    EXPECT_EQ(log->size(), 0u);
    EXPECT_EQ(log->opens(), 0);
}

TEST(PlayArguments, TakeOneFileAndAnOptionalDeviceNumber)
{
    const auto parse = [](std::vector<std::string> args, std::string& file, PlayOptions& options) {
        std::string problem;
        const bool ok = parsePlayArguments(args, file, options, problem);
        EXPECT_EQ(ok, problem.empty()) << problem;
        return ok;
    };
    std::string file;
    PlayOptions options;
    ASSERT_TRUE(parse({"song.mid"}, file, options));
    EXPECT_EQ(file, "song.mid");
    EXPECT_EQ(options.device, -1);
    ASSERT_TRUE(parse({"--device", "3", "b.mid"}, file, options));
    EXPECT_EQ(file, "b.mid");
    EXPECT_EQ(options.device, 3);
    ASSERT_TRUE(parse({"c.mid", "--device", "-1"}, file, options));
    EXPECT_EQ(options.device, -1);

    for (const std::vector<std::string>& bad : {std::vector<std::string>{},
                                                {"a.mid", "b.mid"},
                                                {"a.mid", "--device"},
                                                {"a.mid", "--device", "x"},
                                                {"a.mid", "--device", "2x"},
                                                {"a.mid", "--device", "-2"},
                                                {"a.mid", "--loud"}}) {
        PlayOptions unused;
        EXPECT_FALSE(parse(bad, file, unused)) << ::testing::PrintToString(bad);
    }
}
