#include "capturedgateway.h"
#include "midiout/devicelist.h"
#include "platform/midiout.h"

using MidiGatewayDevice = CapturedGateway;

TEST_F(MidiGatewayDevice, OpensTheChosenDeviceAndSendsToIt)
{
    EXPECT_FALSE(gateway->isOpen());
    EXPECT_EQ(gateway->OpenDevice(1), 0);
    EXPECT_TRUE(gateway->isOpen());
    EXPECT_EQ(gateway->DeviceID, 1);
    gateway->SendNoteOn(0, 60, 1);
    const auto messages = log->messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].device, 1);
    EXPECT_TRUE(sink.texts().empty());
}

TEST_F(MidiGatewayDevice, FailedOpenReportsThePlatformTextAndKeepsTheDeviceId)
{
    ASSERT_EQ(gateway->OpenDevice(0), 0);
    log->setOpenResult(platform::MidiNoAudio);
    EXPECT_EQ(gateway->OpenDevice(1), int(platform::MidiNoAudio));
    EXPECT_EQ(sink.texts(), std::vector<std::string>{platform::midiOutGetErrorText(platform::MidiNoAudio)});
    EXPECT_EQ(gateway->DeviceID, 0);
    // The old device was closed before the new one was tried.
    EXPECT_FALSE(gateway->isOpen());
    EXPECT_EQ(log->closes(), 1);

    log->setOpenResult(platform::MmOk);
    EXPECT_EQ(gateway->OpenDevice(5), int(platform::MidiBadDeviceId));
    EXPECT_EQ(sink.texts().back(), platform::midiOutGetErrorText(platform::MidiBadDeviceId));
    EXPECT_EQ(gateway->DeviceID, 0);
}

TEST_F(MidiGatewayDevice, OpeningTheOpenDeviceAgainClosesAndReopensIt)
{
    ASSERT_EQ(gateway->OpenDevice(0), 0);
    ASSERT_EQ(gateway->OpenDevice(0), 0);
    EXPECT_EQ(log->opens(), 2);
    EXPECT_EQ(log->closes(), 1);
    EXPECT_TRUE(gateway->isOpen());
    EXPECT_EQ(log->size(), 0u);  // no reset message before closing
}

TEST_F(MidiGatewayDevice, FailedCloseKeepsTheDeviceAndRefusesToOpenAnother)
{
    EXPECT_EQ(gateway->CloseDevice(), 0);  // nothing open
    ASSERT_EQ(gateway->OpenDevice(0), 0);
    log->setCloseResult(platform::MidiSendFailed);
    EXPECT_EQ(gateway->CloseDevice(), -1);
    EXPECT_TRUE(gateway->isOpen());
    EXPECT_EQ(gateway->OpenDevice(1), -1);
    EXPECT_EQ(gateway->DeviceID, 0);
    EXPECT_EQ(sink.texts(), std::vector<std::string>(2, platform::midiOutGetErrorText(platform::MidiSendFailed)));

    log->setCloseResult(platform::MmOk);
    EXPECT_EQ(gateway->CloseDevice(), 0);
    EXPECT_FALSE(gateway->isOpen());
}

TEST_F(MidiGatewayDevice, DestructionSilencesAndClosesTheDevice)
{
    ASSERT_EQ(gateway->OpenDevice(1), 0);
    gateway.reset();
    EXPECT_EQ(log->closes(), 1);
    EXPECT_EQ(log->size(), 32u);
    EXPECT_EQ(log->messages().back().bytes, bytesOf({0xBF, 0x79, 0x00}));
}

TEST_F(MidiGatewayDevice, ListsTheDefaultRouteFirstThenEachDevice)
{
    const std::vector<std::string> lines = gateway->DeviceLines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "Default route (Capture 1) MIDI Mapper");
    EXPECT_EQ(lines[1], "Capture 1 MIDI Port");
    EXPECT_EQ(lines[2], "Capture 2 MIDI Port");
}

TEST(DeviceLine, NamesTheFirstFiveTechnologiesAndJackAndEndsOthersWithABlank)
{
    using platform::MidiTechnology;
    const auto line = [](int code) { return deviceLine({"Dev", MidiTechnology(code)}); };
    EXPECT_EQ(line(1), "Dev MIDI Port");
    EXPECT_EQ(line(2), "Dev Synth");
    EXPECT_EQ(line(3), "Dev SQ Synth");
    EXPECT_EQ(line(4), "Dev FM Synth");
    EXPECT_EQ(line(5), "Dev MIDI Mapper");
    EXPECT_EQ(line(6), "Dev ");
    EXPECT_EQ(line(7), "Dev ");
    EXPECT_EQ(line(8), "Dev JACK MIDI");
    EXPECT_EQ(line(0), "Dev ");
}
