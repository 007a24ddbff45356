#include "platform/alsabackend.h"
#include "platform/capture.h"
#include "platform/midiout.h"
#include "platform/registry.h"
#include "testoptions.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace platform;

namespace {

class DeviceList : public ::testing::Test {
protected:
    void TearDown() override { selectDefaultMidiBackends(); }

    static MidiOutCaps caps(int deviceId)
    {
        MidiOutCaps result;
        EXPECT_EQ(midiOutGetDevCaps(deviceId, result), MmOk) << deviceId;
        return result;
    }
};

}  // namespace

TEST_F(DeviceList, ChoosesBackendsFromOneTable)
{
    std::vector<std::string_view> ids;
    for (const MidiBackendEntry& entry : midiBackendTable()) {
        ids.push_back(entry.id);
        EXPECT_FALSE(entry.displayName.empty());
        ASSERT_NE(entry.factory, nullptr);
        EXPECT_NE(entry.factory(OutputOptions{}), nullptr);
    }
    EXPECT_EQ(ids, (std::vector<std::string_view>{"synth", "alsa", "jack", "capture"}));
    EXPECT_EQ(selectedMidiBackends(), (std::vector<std::string>{"synth", "alsa", "jack"}));

    EXPECT_FALSE(selectMidiBackends({"capture", "no-such-backend"}));
    EXPECT_EQ(selectedMidiBackends(), (std::vector<std::string>{"synth", "alsa", "jack"}))
        << "a bad choice changes nothing";
}

TEST_F(DeviceList, ListsTheDefaultRouteThenTheBuiltInSynthWithoutASequencer)
{
    selectDefaultMidiBackends(withoutSequencer());
    EXPECT_EQ(midiOutGetNumDevs(), 1u);

    const MidiOutCaps mapper = caps(MidiMapper);
    EXPECT_EQ(mapper.productName, "Default route (Built-in synth)");
    EXPECT_EQ(mapper.technology, MidiTechnology::Mapper);

    const MidiOutCaps synth = caps(0);
    EXPECT_EQ(synth.productName, "Built-in synth");
    EXPECT_EQ(synth.technology, MidiTechnology::SoftwareSynth);
}

TEST_F(DeviceList, ListsSequencerPortsAfterTheSynthWhenThereIsASequencer)
{
    OutputOptions noJack;
    noJack.jackMidi = false;
    selectDefaultMidiBackends(noJack);
    const std::uint32_t count = midiOutGetNumDevs();
    ASSERT_GE(count, 1u);
    EXPECT_EQ(caps(0).productName, "Built-in synth");
    if (!std::filesystem::exists("/dev/snd/seq")) {
        EXPECT_EQ(count, 1u);
    }
    for (int id = 1; id < int(count); ++id)
        EXPECT_EQ(caps(id).technology, MidiTechnology::MidiPort) << caps(id).productName;
}

TEST_F(DeviceList, RefusesIdentifiersOutsideTheList)
{
    selectDefaultMidiBackends(withoutSequencer());
    const int count = int(midiOutGetNumDevs());
    MidiOutCaps unused;
    for (int id : {-2, count, count + 1, 1 << 30})
        EXPECT_EQ(midiOutGetDevCaps(id, unused), MidiBadDeviceId) << id;

    MidiOutHandle handle = MidiOutHandle::Null;
    EXPECT_EQ(midiOutOpen(handle, count), MidiBadDeviceId);
    EXPECT_EQ(midiOutOpen(handle, -7), MidiBadDeviceId);
    EXPECT_EQ(handle, MidiOutHandle::Null);
}

TEST_F(DeviceList, FollowsTheOrderOfSelectionAndRoutesToTheFirstDevice)
{
    captureLog().reset(2);
    ASSERT_TRUE(selectMidiBackends({"capture", "synth", "alsa"}, withoutSequencer()));
    EXPECT_EQ(midiOutGetNumDevs(), 3u);
    EXPECT_EQ(caps(MidiMapper).productName, "Default route (Capture 1)");
    EXPECT_EQ(caps(0).productName, "Capture 1");
    EXPECT_EQ(caps(1).productName, "Capture 2");
    EXPECT_EQ(caps(2).productName, "Built-in synth");
}

TEST_F(DeviceList, KeepsIdentifiersUntilTheNextEnumeration)
{
    CaptureLog& log = installCaptureBackend(1);
    EXPECT_EQ(midiOutGetNumDevs(), 1u);
    log.reset(3);
    MidiOutCaps third;
    EXPECT_EQ(midiOutGetDevCaps(2, third), MidiBadDeviceId);
    EXPECT_EQ(midiOutGetNumDevs(), 3u);
    EXPECT_EQ(midiOutGetDevCaps(2, third), MmOk);
    EXPECT_EQ(third.productName, "Capture 3");
}

TEST_F(DeviceList, HasNoDefaultRouteWhenNoBackendHasADevice)
{
    installCaptureBackend(0);
    EXPECT_EQ(midiOutGetNumDevs(), 0u);
    MidiOutCaps unused;
    EXPECT_EQ(midiOutGetDevCaps(MidiMapper, unused), MidiBadDeviceId);
    MidiOutHandle handle = MidiOutHandle::Null;
    EXPECT_EQ(midiOutOpen(handle, MidiMapper), MidiBadDeviceId);
}

TEST_F(DeviceList, OpensNoSequencerPortWithoutASequencer)
{
    std::unique_ptr<MidiBackend> alsa = makeAlsaBackend(withoutSequencer());
    EXPECT_TRUE(alsa->listDevices().empty());
    std::unique_ptr<MidiPort> port;
    EXPECT_EQ(alsa->open({"Some Synth:Port 0 128:0", MidiTechnology::MidiPort, "Some Synth:Port 0 128:0"}, port),
              MidiNoSequencer);
    EXPECT_EQ(port, nullptr);
}
