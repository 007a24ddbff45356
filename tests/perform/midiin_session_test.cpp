// A MIDI keyboard played into the program's JACK input reaches the session
// through the input's ring, as the window drains it: the key moves the centre
// note and the wheel the modulation the tone module gets. Needs the private
// JACK server that test.sh starts (scripts/private-audio.sh).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "midiout/midigateway.h"
#include "perform/session.h"
#include "perform/vidize.h"
#include "platform/capture.h"
#include "platform/midiin.h"
#include "tests/platform/jacksender.h"

namespace {

TEST(SessionMidiIn, AKeyPlayedIntoTheJackInputMovesTheCentreNoteAndTheWheelTheModulation)
{
    if (!usePrivateJackServer())
        GTEST_SKIP() << "ORV_TEST_JACK_SERVER names no private JACK server";
    platform::CaptureLog& log = platform::installCaptureBackend(1);
    Session::Options options;
    options.pause = [](std::uint32_t) {};
    options.performerPause = [](std::uint32_t) {};
    Session session(options);
    ASSERT_EQ(session.gateway().OpenDevice(platform::MidiMapper), 0);
    session.initSound();

    platform::MidiIn input({.useAlsa = false, .wake = {}});
    ASSERT_TRUE(input.open()) << input.status();
    JackSender sender;
    ASSERT_TRUE(sender.start());
    ASSERT_TRUE(input.connect("jack:" + sender.portName())) << input.status();
    log.clear();

    // A loaded machine makes the dummy driver skip cycles, and what the sender
    // wrote in a skipped cycle never arrives: the key is played again until it
    // does, which changes nothing of what it sets.
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    std::size_t taken = 0;
    while (taken < 3 && std::chrono::steady_clock::now() < until) {
        sender.send({0x90, 64, 100});
        sender.send({0x80, 64, 0});
        sender.send({0xB0, 1, 32});
        taken = 0;
        const auto resend = std::chrono::steady_clock::now() + std::chrono::milliseconds(250);
        while (taken < 3 && std::chrono::steady_clock::now() < resend) {
            taken += input.drain([&](const std::uint8_t* bytes, std::size_t size) { session.midiIn(bytes, size); });
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    EXPECT_EQ(session.axis().centreNote, 64);
    EXPECT_EQ(session.performer().ModulationDepth, 32);
    const auto messages = log.messages();
    ASSERT_FALSE(messages.empty());
    const std::uint8_t channel = std::uint8_t(session.performer().Channel);
    EXPECT_EQ(messages.back().bytes, (std::vector<std::uint8_t>{std::uint8_t(0xB0 | channel), 1, 32}));
    platform::removeCaptureBackend();
}

}  // namespace
