// The JACK MIDI output through a JACK server, played into a recording client
// of the test's own: what the device window lists, a song placed to the frame
// by the real player, live messages, a cancelled song, and a server that goes
// away under an open device.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "mididata/event.h"
#include "mididata/messagesink.h"
#include "mididata/song.h"
#include "mididata/track.h"
#include "midiout/midigateway.h"
#include "platform/midiin.h"
#include "platform/registry.h"
#include "tests/platform/jackrecorder.h"
#include "tests/platform/jacksender.h"

namespace {

using namespace std::chrono_literals;

// The device identifier of the recorder's port in the list, or -1.
int deviceOf(const JackRecorder& recorder, const MidiGateway& gateway)
{
    const std::vector<std::string> lines = gateway.DeviceLines();
    for (std::size_t line = 1; line < lines.size(); ++line) {
        if (lines[line] == recorder.portName() + " JACK MIDI")
            return int(line) - 1;
    }
    return -1;
}

void addControl(midiTrack& track, std::int32_t time, int value)
{
    auto* e = new ControlChangeEvent(time, 0);
    e->controller = 16;
    e->value = std::uint8_t(value);
    track.addEvent(e);
}

class JackOutput : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!usePrivateJackServer())
            GTEST_SKIP() << "ORV_TEST_JACK_SERVER names no private JACK server";
        ASSERT_TRUE(recorder.start());
        platform::selectMidiBackends({"jack"});
    }
    void TearDown() override
    {
        gateway.CloseDevice();
        platform::selectDefaultMidiBackends();
    }

    JackRecorder recorder;
    MidiGateway gateway;
    midiSong song;
    midiTrack track{&song, 1, "Play"};
};

}  // namespace

TEST_F(JackOutput, PlacesASongsEventsAtTheFramesOfItsTempoMap)
{
    platform::MidiIn input{{.useAlsa = false, .wake = {}}};
    ASSERT_TRUE(input.open()) << input.status();
    const int id = deviceOf(recorder, gateway);
    ASSERT_GE(id, 0) << "the recorder's input is listed";
    for (const std::string& line : gateway.DeviceLines())
        EXPECT_EQ(line.find(input.jackPortName()), std::string::npos) << "our own input is no device: " << line;
    ASSERT_EQ(gateway.OpenDevice(id), 0);
    EXPECT_TRUE(recorder.connected());

    // 120 ticks are 125 ms (6000 frames at 48 kHz) up to tick 960, then 75 ms (3600).
    ASSERT_EQ(recorder.rate(), 48000);
    std::vector<std::int64_t> expected;
    for (int i = 0; i <= 12; ++i) {
        addControl(track, 120 * i, i);
        expected.push_back(i <= 8 ? 6000 * i : 48000 + 3600 * (i - 8));
    }
    track.addEvent(new TempoEvent(960, 0x51, 300000));
    gateway.SetTempo(500000);
    gateway.PlayTrack(&track);
    const std::vector<JackRecorder::Arrival>& played = recorder.waitFor(expected.size(), 5s);
    ASSERT_EQ(played.size(), expected.size());
    for (std::size_t i = 0; i < played.size(); ++i) {
        EXPECT_EQ(played[i].bytes, (std::vector<std::uint8_t>{0xB0, 16, std::uint8_t(i)}));
        EXPECT_NEAR(double(played[i].frame - played[0].frame), double(expected[i]), 1.0) << "event " << i;
    }

    // A live message goes out at the start of the next cycle (a server
    // without real-time rights may run a cycle or two late).
    const std::int64_t before = recorder.frameNow();
    gateway.SendControl(3, 7, 99);
    const std::vector<JackRecorder::Arrival>& all = recorder.waitFor(expected.size() + 1, 2s);
    ASSERT_EQ(all.size(), expected.size() + 1);
    EXPECT_EQ(all.back().bytes, (std::vector<std::uint8_t>{0xB3, 7, 99}));
    EXPECT_EQ(all.back().offset, 0u);
    EXPECT_GE(all.back().frame, before);
    EXPECT_LE(all.back().frame, before + 4 * recorder.period());
}

TEST_F(JackOutput, DropsWhatACancelledSongHadScheduled)
{
    const int id = deviceOf(recorder, gateway);
    ASSERT_GE(id, 0);
    ASSERT_EQ(gateway.OpenDevice(id), 0);
    const std::int64_t start = platform::nowMicros();
    ASSERT_EQ(platform::midiOutSongStart(gateway.MidiOut, start), platform::MmOk);
    platform::midiOutShortMsgAt(gateway.MidiOut, 0x403C90, start);
    platform::midiOutShortMsgAt(gateway.MidiOut, 0x403D90, start + 300'000);
    recorder.waitFor(1, 2s);
    platform::midiOutSongCancel(gateway.MidiOut);
    std::this_thread::sleep_for(500ms);
    gateway.SendNoteOn(0, 62, 64);
    const std::vector<JackRecorder::Arrival>& got = recorder.waitFor(3, 500ms);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].bytes, (std::vector<std::uint8_t>{0x90, 60, 64}));
    EXPECT_EQ(got[1].bytes, (std::vector<std::uint8_t>{0x90, 62, 64}));
}

// A server of this test's own, so that it can be stopped under the device.
TEST(JackOutputServer, ClosesTheDeviceWithAMessageWhenTheServerGoesAway)
{
    if (!usePrivateJackServer())
        GTEST_SKIP() << "ORV_TEST_JACK_SERVER names no private JACK server";
    const std::string name = "orv-midiout-gone-" + std::to_string(getpid());
    const pid_t server = startOwnJackServer(name);
    ASSERT_GE(server, 0);
    std::mutex mutex;
    std::vector<std::string> messages;
    const MessageSink previous = setMessageSink([&](const std::string& m) {
        std::lock_guard lock(mutex);
        messages.push_back(m);
    });
    {
        auto recorder = std::make_unique<JackRecorder>();
        for (int i = 0; i < 50 && !recorder->start(); ++i) {
            recorder = std::make_unique<JackRecorder>();
            std::this_thread::sleep_for(100ms);
        }
        platform::selectMidiBackends({"jack"});
        MidiGateway gateway;
        const int id = deviceOf(*recorder, gateway);
        ASSERT_GE(id, 0);
        ASSERT_EQ(gateway.OpenDevice(id), 0);
        midiSong song;
        midiTrack track{&song, 1, "Play"};
        for (int i = 0; i < 200; ++i)
            addControl(track, 48 * i, i % 128);  // every 50 ms for 10 s
        gateway.PlayTrack(&track);
        EXPECT_TRUE(gateway.IsPlaying());

        kill(server, SIGTERM);
        waitpid(server, nullptr, 0);
        const auto started = std::chrono::steady_clock::now();
        while (gateway.isOpen() && std::chrono::steady_clock::now() - started < 5s)
            std::this_thread::sleep_for(10ms);
        EXPECT_FALSE(gateway.isOpen());
        while (gateway.IsPlaying() && std::chrono::steady_clock::now() - started < 5s)
            std::this_thread::sleep_for(10ms);
        EXPECT_FALSE(gateway.IsPlaying()) << "the song stops with its device";
        EXPECT_NE(gateway.SendControl(0, 7, 1), 0);
        EXPECT_EQ(gateway.CloseDevice(), 0);
        EXPECT_LT(std::chrono::steady_clock::now() - started, 5s) << "no hang";
        platform::selectDefaultMidiBackends();
    }
    setMessageSink(previous);
    usePrivateJackServer();
    std::lock_guard lock(mutex);
    ASSERT_FALSE(messages.empty());
    EXPECT_NE(messages.front().find("The JACK server went away"), std::string::npos) << messages.front();
}
