// The MIDI input: its ring on its own, and its ports through a real JACK
// server (the private one test.sh starts, scripts/private-audio.sh) and the
// ALSA sequencer where the machine has one. Each part skips without its server.
#include "platform/midiin.h"
#include "platform/midiinring.h"

#include <gtest/gtest.h>

#include <alsa/asoundlib.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/platform/jacksender.h"

using namespace platform;

namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(MidiInRing, KeepsTheOrderAcrossThreadsAndCountsWhatAFullRingDrops)
{
    MidiInRing ring;
    for (std::size_t i = 0; i < MidiInRing::kCapacity + 3; ++i)
        ring.push({{0xB0, 1, std::uint8_t(i & 0x7F)}, 3});
    EXPECT_EQ(ring.dropped(), 3u);
    MidiInMessage m;
    for (std::size_t i = 0; i < MidiInRing::kCapacity; ++i) {
        ASSERT_TRUE(ring.pop(m));
        ASSERT_EQ(m.bytes[2], i & 0x7F);
    }
    EXPECT_FALSE(ring.pop(m));

    constexpr int kCount = 200000;
    std::thread producer([&] {
        for (int i = 0; i < kCount;)
            i += ring.push({{0x90, std::uint8_t(i & 0x7F), std::uint8_t((i >> 7) & 0x7F)}, 3}) ? 1 : 0;
    });
    int next = 0;
    while (next < kCount) {
        if (ring.pop(m)) {
            ASSERT_EQ(m.bytes[1] | m.bytes[2] << 7, next & 0x3FFF);
            ++next;
        }
    }
    producer.join();
}

// Drains the input until count messages came or the time passed.
std::vector<Bytes> receive(MidiIn& input, std::size_t count,
                           std::chrono::milliseconds patience = std::chrono::milliseconds(2000))
{
    std::vector<Bytes> got;
    const auto until = std::chrono::steady_clock::now() + patience;
    while (got.size() < count && std::chrono::steady_clock::now() < until) {
        input.drain([&](const std::uint8_t* bytes, std::size_t size) { got.emplace_back(bytes, bytes + size); });
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return got;
}

class JackMidiIn : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!usePrivateJackServer())
            GTEST_SKIP() << "ORV_TEST_JACK_SERVER names no private JACK server";
    }

    std::atomic<int> wakes{0};
    MidiIn input{{.useAlsa = false, .wake = [this] { ++wakes; }}};
};

TEST_F(JackMidiIn, ListsAndConnectsASourceAndPassesItsChannelMessagesInOrder)
{
    ASSERT_TRUE(input.open()) << input.status();
    EXPECT_EQ(input.jackPortName().rfind("Orvelline", 0), 0u) << input.jackPortName();
    JackSender sender;
    ASSERT_TRUE(sender.start());

    const std::string key = "jack:" + sender.portName();
    bool listed = false;
    for (const MidiSource& source : input.sources()) {
        listed = listed || source.key == key;
        EXPECT_EQ(source.key.find(input.jackPortName()), std::string::npos) << "its own port is no source";
    }
    EXPECT_TRUE(listed);
    EXPECT_FALSE(input.connect("jack:nobody:out"));
    EXPECT_NE(input.status().find("nobody:out is not there"), std::string::npos) << input.status();
    ASSERT_TRUE(input.connect(key)) << input.status();
    EXPECT_NE(input.status().find("receiving from " + key), std::string::npos) << input.status();

    sender.send({0x90, 60, 100});
    sender.send({0xF8});  // a clock tick is no channel message
    sender.send({0xB0, 1, 64});
    sender.send({0xB0, 11, 90});
    sender.send({0xC3, 40});
    sender.send({0x80, 60, 0});
    const std::vector<Bytes> expected = {{0x90, 60, 100}, {0xB0, 1, 64}, {0xB0, 11, 90}, {0xC3, 40}, {0x80, 60, 0}};
    EXPECT_EQ(receive(input, expected.size()), expected);
    EXPECT_GT(wakes.load(), 0);
    EXPECT_EQ(input.dropped(), 0u);

    // Let go: nothing more arrives from it.
    ASSERT_TRUE(input.connect(""));
    sender.send({0x90, 61, 100});
    EXPECT_TRUE(receive(input, 1, std::chrono::milliseconds(200)).empty());
}

// A server of this test's own, so that it can be stopped under the input.
TEST_F(JackMidiIn, ClosesWithAMessageWhenTheServerGoesAway)
{
    const std::string name = "orv-midiin-gone-" + std::to_string(getpid());
    const pid_t server = startOwnJackServer(name);
    ASSERT_GE(server, 0);
    bool opened = false;
    for (int i = 0; i < 50 && !opened; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        opened = input.open();
    }
    ASSERT_TRUE(opened) << input.status();
    kill(server, SIGTERM);
    waitpid(server, nullptr, 0);

    const auto started = std::chrono::steady_clock::now();
    std::string notice;
    while (notice.empty() && std::chrono::steady_clock::now() - started < std::chrono::seconds(5)) {
        input.drain([](const std::uint8_t*, std::size_t) {});
        notice = input.takeNotice();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_NE(notice.find("The JACK server went away"), std::string::npos) << notice;
    EXPECT_FALSE(input.jackOpen());
    EXPECT_FALSE(input.connect("jack:orv-test-sender:out"));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5)) << "no hang";
}

TEST(AlsaMidiIn, ReceivesWhatAnotherClientSendsToItsPort)
{
    if (!std::filesystem::exists("/dev/snd/seq"))
        GTEST_SKIP() << "no ALSA sequencer here (/dev/snd/seq)";
    MidiIn input({.useJack = false, .wake = {}});
    ASSERT_TRUE(input.open()) << input.status();
    EXPECT_NE(input.status().find("Orvelline:MIDI In"), std::string::npos) << input.status();

    snd_seq_t* seq = nullptr;
    ASSERT_GE(snd_seq_open(&seq, "default", SND_SEQ_OPEN_OUTPUT, 0), 0);
    snd_seq_set_client_name(seq, "orv-test-sender");
    const int port = snd_seq_create_simple_port(seq, "out", SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ,
                                                SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
    ASSERT_GE(port, 0);
    ASSERT_TRUE(input.connect("alsa:orv-test-sender:out")) << input.status();
    auto send = [&](auto fill) {
        snd_seq_event_t event;
        snd_seq_ev_clear(&event);
        snd_seq_ev_set_source(&event, port);
        snd_seq_ev_set_subs(&event);
        snd_seq_ev_set_direct(&event);
        fill(event);
        snd_seq_event_output_direct(seq, &event);
    };
    send([](snd_seq_event_t& e) { snd_seq_ev_set_noteon(&e, 0, 62, 100); });
    send([](snd_seq_event_t& e) { snd_seq_ev_set_controller(&e, 0, 4, 77); });
    send([](snd_seq_event_t& e) { snd_seq_ev_set_pitchbend(&e, 2, 0); });
    const std::vector<Bytes> expected = {{0x90, 62, 100}, {0xB0, 4, 77}, {0xE2, 0x00, 0x40}};
    EXPECT_EQ(receive(input, expected.size()), expected);
    snd_seq_close(seq);
}

}  // namespace
