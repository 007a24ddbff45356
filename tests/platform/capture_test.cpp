#include "platform/capture.h"
#include "platform/clock.h"
#include "platform/midiout.h"
#include "platform/shortmsg.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace platform;

namespace {

class CaptureDevice : public ::testing::Test {
protected:
    void SetUp() override { log = &installCaptureBackend(2); }
    void TearDown() override
    {
        if (handle != MidiOutHandle::Null)
            midiOutClose(handle);
        removeCaptureBackend();
    }

    MidiOutHandle open(int deviceId)
    {
        MidiOutHandle opened = MidiOutHandle::Null;
        EXPECT_EQ(midiOutOpen(opened, deviceId), MmOk);
        return opened;
    }

    CaptureLog* log = nullptr;
    MidiOutHandle handle = MidiOutHandle::Null;
};

std::vector<std::uint8_t> bytesOf(std::initializer_list<int> values)
{
    std::vector<std::uint8_t> bytes;
    for (int v : values)
        bytes.push_back(std::uint8_t(v));
    return bytes;
}

}  // namespace

TEST_F(CaptureDevice, RecordsShortMessagesWithTheWireBytesOfTheirStatus)
{
    handle = open(MidiMapper);
    EXPECT_EQ(midiOutShortMsg(handle, packShortMessage(0x90, 0x45, 0x64)), MmOk);
    EXPECT_EQ(midiOutShortMsg(handle, packShortMessage(0xC2, 0x28)), MmOk);
    EXPECT_EQ(midiOutShortMsg(handle, packShortMessage(0xE0, 0x00, 0x40)), MmOk);
    EXPECT_EQ(midiOutShortMsg(handle, 0xFF), MmOk);

    const std::vector<CapturedMessage> messages = log->messages();
    ASSERT_EQ(messages.size(), 4u);
    EXPECT_EQ(messages[0].packed, 0x00644590u);
    EXPECT_EQ(messages[0].bytes, bytesOf({0x90, 0x45, 0x64}));
    EXPECT_EQ(messages[1].bytes, bytesOf({0xC2, 0x28}));
    EXPECT_EQ(messages[2].bytes, bytesOf({0xE0, 0x00, 0x40}));
    EXPECT_EQ(messages[3].bytes, bytesOf({0xFF}));
    for (const CapturedMessage& m : messages) {
        EXPECT_FALSE(m.isLong);
        EXPECT_EQ(m.device, 0) << "the default route leads to the first capture device";
    }
}

// Files may hold data bytes over 127; a device gets 127 instead, live or timed.
TEST_F(CaptureDevice, LimitsDataBytesTo127OnTheWayToAnyDevice)
{
    handle = open(MidiMapper);
    EXPECT_EQ(midiOutShortMsg(handle, packShortMessage(0x90, 0xC5, 0xCC)), MmOk);
    EXPECT_EQ(midiOutShortMsgAt(handle, packShortMessage(0xB1, 0x07, 0x80), nowMicros()), MmOk);
    EXPECT_EQ(midiOutShortMsg(handle, packShortMessage(0xC2, 0xFF)), MmOk);
    EXPECT_EQ(midiOutShortMsg(handle, packShortMessage(0xE0, 0x7F, 0x00)), MmOk);
    const std::vector<CapturedMessage> messages = log->messages();
    ASSERT_EQ(messages.size(), 4u);
    EXPECT_EQ(messages[0].bytes, bytesOf({0x90, 0x7F, 0x7F}));
    EXPECT_EQ(messages[1].bytes, bytesOf({0xB1, 0x07, 0x7F}));
    EXPECT_EQ(messages[2].bytes, bytesOf({0xC2, 0x7F}));
    EXPECT_EQ(messages[3].bytes, bytesOf({0xE0, 0x7F, 0x00}));
}

TEST_F(CaptureDevice, RefusesShortMessagesWithoutAValidStatusByte)
{
    handle = open(0);
    EXPECT_EQ(midiOutShortMsg(handle, 0x00004045), MidiInvalidParameter);
    EXPECT_EQ(midiOutShortMsg(handle, 0x000000F0), MidiInvalidParameter);
    EXPECT_EQ(midiOutShortMsg(handle, 0x000000F7), MidiInvalidParameter);
    EXPECT_EQ(log->size(), 0u);
}

TEST_F(CaptureDevice, RecordsLongMessagesWhole)
{
    handle = open(0);
    const std::vector<std::uint8_t> gmOn = bytesOf({0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7});
    EXPECT_EQ(midiOutLongMsg(handle, gmOn), MmOk);
    EXPECT_EQ(midiOutLongMsg(handle, {}), MidiInvalidParameter);

    const std::vector<CapturedMessage> messages = log->messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].isLong);
    EXPECT_EQ(messages[0].bytes, gmOn);
}

TEST_F(CaptureDevice, KeepsMessagesInSendingOrderWithRisingTimeStamps)
{
    handle = open(1);
    const std::int64_t before = nowMicros();
    for (int note = 60; note < 64; ++note) {
        midiOutShortMsg(handle, packShortMessage(0x90, std::uint8_t(note), 100));
        Sleep(2);
    }
    const std::vector<CapturedMessage> messages = log->messages();
    ASSERT_EQ(messages.size(), 4u);
    EXPECT_GE(messages[0].micros, before);
    for (std::size_t i = 0; i < messages.size(); ++i) {
        EXPECT_EQ(messages[i].bytes[1], 60 + i);
        EXPECT_EQ(messages[i].device, 1);
        if (i > 0) {
            EXPECT_GE(messages[i].micros - messages[i - 1].micros, 2000) << "a 2 ms pause lies between";
        }
    }
}

TEST_F(CaptureDevice, TellsItsDevicesApart)
{
    const MidiOutHandle first = open(0);
    const MidiOutHandle second = open(1);
    midiOutShortMsg(second, packShortMessage(0xB0, 7, 100));
    midiOutShortMsg(first, packShortMessage(0xB0, 7, 50));
    const std::vector<CapturedMessage> messages = log->messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].device, 1);
    EXPECT_EQ(messages[1].device, 0);
    EXPECT_EQ(midiOutClose(first), MmOk);
    EXPECT_EQ(midiOutClose(second), MmOk);
    EXPECT_EQ(log->opens(), 2);
    EXPECT_EQ(log->closes(), 2);
}

TEST_F(CaptureDevice, RejectsNullAndClosedHandles)
{
    EXPECT_EQ(midiOutShortMsg(MidiOutHandle::Null, 0x90), MidiInvalidHandle);
    EXPECT_EQ(midiOutLongMsg(MidiOutHandle::Null, bytesOf({0xF0, 0xF7})), MidiInvalidHandle);
    EXPECT_EQ(midiOutClose(MidiOutHandle::Null), MidiInvalidHandle);

    const MidiOutHandle closed = open(0);
    EXPECT_EQ(midiOutClose(closed), MmOk);
    EXPECT_EQ(midiOutShortMsg(closed, packShortMessage(0x90, 60, 1)), MidiInvalidHandle);
    EXPECT_EQ(midiOutClose(closed), MidiInvalidHandle);

    // A new device never answers to an old handle.
    handle = open(0);
    EXPECT_NE(handle, closed);
    EXPECT_EQ(midiOutShortMsg(closed, packShortMessage(0x90, 60, 1)), MidiInvalidHandle);
    EXPECT_EQ(log->size(), 0u);
}

TEST_F(CaptureDevice, ReportsTheFailuresATestAsksFor)
{
    log->setOpenResult(MidiPortUnavailable);
    MidiOutHandle failed = MidiOutHandle::Null;
    EXPECT_EQ(midiOutOpen(failed, 0), MidiPortUnavailable);
    EXPECT_EQ(failed, MidiOutHandle::Null);
    log->setOpenResult(MmOk);

    handle = open(0);
    log->setCloseResult(MidiSendFailed);
    EXPECT_EQ(midiOutClose(handle), MidiSendFailed);
    EXPECT_EQ(midiOutShortMsg(handle, packShortMessage(0x80, 60, 0)), MmOk) << "a failed close leaves the device open";

    log->setLongMessageResult(MidiSendFailed);
    EXPECT_EQ(midiOutLongMsg(handle, bytesOf({0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7})), MidiSendFailed);
    EXPECT_EQ(log->size(), 1u);

    log->setCloseResult(MmOk);
    EXPECT_EQ(midiOutClose(handle), MmOk);
    handle = MidiOutHandle::Null;
}

TEST_F(CaptureDevice, ReceivesNothingOnceACloseRacingWithSendsHasReturned)
{
    handle = open(0);
    std::atomic<bool> go{false};
    std::atomic<int> badResults{0};
    auto sender = [&](std::uint8_t channel) {
        while (!go.load()) {
        }
        for (int i = 0; i < 2000; ++i) {
            const MmResult r = midiOutShortMsg(handle, packShortMessage(std::uint8_t(0xB0 | channel), 1, i & 0x7F));
            if (r != MmOk && r != MidiInvalidHandle)
                ++badResults;
        }
    };
    std::thread a(sender, 0);
    std::thread b(sender, 1);
    go = true;
    log->waitForSize(200, std::chrono::seconds(10));
    ASSERT_EQ(midiOutClose(handle), MmOk);
    const std::size_t atClose = log->size();
    a.join();
    b.join();
    handle = MidiOutHandle::Null;

    EXPECT_EQ(badResults.load(), 0);
    EXPECT_EQ(log->size(), atClose);
    // Each thread's messages arrive in its own order.
    int last[2] = {-1, -1};
    for (const CapturedMessage& m : log->messages()) {
        const int channel = m.bytes[0] & 0x0F;
        EXPECT_EQ(m.bytes[2], (last[channel] + 1) % 128);
        last[channel] = m.bytes[2];
    }
}
