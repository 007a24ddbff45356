// An ALSA sequencer port as output, into a receiving client of the test's
// own: a song handed over at once arrives at its queue times, not at once.
#include "platform/clock.h"
#include "platform/midiout.h"
#include "platform/registry.h"
#include "platform/shortmsg.h"

#include <alsa/asoundlib.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

using namespace platform;

TEST(AlsaOutput, SendsASongsEventsAtTheirQueueTimes)
{
    if (!std::filesystem::exists("/dev/snd/seq"))
        GTEST_SKIP() << "no ALSA sequencer here (/dev/snd/seq)";
    snd_seq_t* seq = nullptr;
    ASSERT_GE(snd_seq_open(&seq, "default", SND_SEQ_OPEN_INPUT, 0), 0);
    snd_seq_set_client_name(seq, "orv-test-receiver");
    ASSERT_GE(snd_seq_create_simple_port(seq, "in", SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE,
                                         SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION),
              0);
    ASSERT_TRUE(selectMidiBackends({"alsa"}));
    int device = -1;
    const int count = int(midiOutGetNumDevs());
    for (int id = 0; id < count && device < 0; ++id) {
        MidiOutCaps caps;
        if (midiOutGetDevCaps(id, caps) == MmOk && caps.productName.rfind("orv-test-receiver:in", 0) == 0)
            device = id;
    }
    ASSERT_GE(device, 0);
    MidiOutHandle handle = MidiOutHandle::Null;
    ASSERT_EQ(midiOutOpen(handle, device), MmOk);

    const std::int64_t start = nowMicros();
    ASSERT_EQ(midiOutSongStart(handle, start), MmOk);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(midiOutShortMsgAt(handle, packShortMessage(0x90, std::uint8_t(60 + i), 100), start + 100'000 * i),
                  MmOk);
    std::vector<std::int64_t> arrived;
    while (arrived.size() < 3) {
        snd_seq_event_t* event = nullptr;
        ASSERT_GE(snd_seq_event_input(seq, &event), 0);
        if (event->type == SND_SEQ_EVENT_NOTEON) {
            EXPECT_EQ(int(event->data.note.note), 60 + int(arrived.size()));
            arrived.push_back(nowMicros() - start);
        }
    }
    EXPECT_LT(arrived[0], 20'000);
    EXPECT_NEAR(double(arrived[1] - arrived[0]), 100'000, 5'000);
    EXPECT_NEAR(double(arrived[2] - arrived[0]), 200'000, 5'000);
    EXPECT_EQ(midiOutClose(handle), MmOk);
    snd_seq_close(seq);
    selectDefaultMidiBackends();
}
