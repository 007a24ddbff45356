// The built-in synth through real sound servers: the private PulseAudio and
// JACK servers that test.sh starts (scripts/private-audio.sh). Each test
// skips when the variable naming its server is absent; none ever reaches a
// user's own server. One starts a server of its own, to kill it
// (tests/platform/privatepulse.h).
#include "mididata/messagesink.h"
#include "platform/alsabackend.h"
#include "platform/clock.h"
#include "platform/midiout.h"
#include "platform/registry.h"
#include "platform/shortmsg.h"
#include "platform/soundfont.h"
#include "platform/synthbackend.h"
#include "privatepulse.h"
#include "testoptions.h"

#include <gtest/gtest.h>

#include <pulse/error.h>
#include <pulse/simple.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

using namespace platform;

namespace {

class RealAudio : public ::testing::Test {
protected:
    void SetUp() override
    {
        selectDefaultMidiBackends(withoutSequencer());
        font = findSoundFont({}, systemSoundFonts());
        if (font.empty())
            GTEST_SKIP() << "no General MIDI SoundFont installed";
    }
    void TearDown() override
    {
        if (handle != MidiOutHandle::Null)
            midiOutClose(handle);
        selectDefaultMidiBackends();
    }

    // Only this output for the built-in synth, which sounds with the system's font.
    void useAudioDriver(const std::string& driver)
    {
        OutputOptions options = withoutSequencer();
        options.soundFont = font;
        options.synthAudioDrivers = {driver};
        options.keepProcessorsAwake = keepAwake;
        options.waitForSoundServer = waitForServer;
        selectDefaultMidiBackends(options);
    }

    // Opens the built-in synth on one output and waits for its SoundFont.
    void openOn(const std::string& driver)
    {
        useAudioDriver(driver);
        const MmResult status = midiOutOpen(handle, MidiMapper);
        ASSERT_EQ(status, MmOk) << midiOutGetErrorText(status);
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        std::optional<SynthOutputStatus> state;
        while (std::chrono::steady_clock::now() < giveUp) {
            state = midiOutSynthStatus(handle);
            if (!state || state->soundFont != SynthOutputStatus::SoundFont::Loading)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ASSERT_TRUE(state.has_value());
        ASSERT_EQ(state->soundFont, SynthOutputStatus::SoundFont::Ready);
        EXPECT_EQ(state->driver, driver);
    }

    void playNote()
    {
        EXPECT_EQ(midiOutShortMsg(handle, packShortMessage(0xC0, 78)), MmOk);
        EXPECT_EQ(midiOutShortMsg(handle, packShortMessage(0x90, 69, 120)), MmOk);
    }

    // Records the null sink's monitor, which hears what the synth plays, for
    // `seconds`, a note played as it starts; the loudest sample heard, or -1
    // when the recording failed.
    float peakAtSinkAfterANote(const char* server, double seconds) { return peakAtSink(server, seconds, true); }
    float peakAtSink(const char* server, double seconds, bool playANote)
    {
        pa_sample_spec spec{PA_SAMPLE_FLOAT32NE, 48000, 2};
        int error = 0;
        std::unique_ptr<pa_simple, void (*)(pa_simple*)> recorder(pa_simple_new(server, "orv-test", PA_STREAM_RECORD,
                                                                                "orvsink.monitor", "monitor", &spec,
                                                                                nullptr, nullptr, &error),
                                                                  pa_simple_free);
        if (!recorder) {
            ADD_FAILURE() << "no recording of the sink: " << pa_strerror(error);
            return -1;
        }
        if (playANote)
            playNote();
        std::vector<float> heard(2 * std::size_t(48000 * seconds));
        if (pa_simple_read(recorder.get(), heard.data(), heard.size() * sizeof(float), &error) != 0) {
            ADD_FAILURE() << "the recording broke off: " << pa_strerror(error);
            return -1;
        }
        float peak = 0;
        for (float sample : heard)
            peak = std::max(peak, std::fabs(sample));
        return peak;
    }

    std::filesystem::path font;
    KeepAwake keepAwake = OutputOptions{}.keepProcessorsAwake;
    bool waitForServer = false;
    MidiOutHandle handle = MidiOutHandle::Null;
};

// The messages a user would see, in order.
class SaidMessages {
public:
    SaidMessages()
        : previous_(setMessageSink([this](const std::string& m) {
              std::lock_guard lock(mutex_);
              said_.push_back(m);
          }))
    {}
    ~SaidMessages() { setMessageSink(std::move(previous_)); }
    std::vector<std::string> all() const
    {
        std::lock_guard lock(mutex_);
        return said_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::string> said_;
    MessageSink previous_;
};

// Polls until the synth's server is there (or gone), ten seconds at most;
// how long that took.
std::chrono::milliseconds untilConnected(MidiOutHandle handle, bool connected)
{
    const auto began = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - began < std::chrono::seconds(10)) {
        const std::optional<SynthOutputStatus> state = midiOutSynthStatus(handle);
        if (state && state->waitingForServer != connected)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - began);
}

// What a command prints, or "" when it cannot run.
std::string outputOf(const std::string& command)
{
    std::string text;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe)
        return text;
    std::array<char, 256> chunk{};
    while (fgets(chunk.data(), int(chunk.size()), pipe.get()))
        text += chunk.data();
    return text;
}

}  // namespace

TEST_F(RealAudio, PlaysThroughAPulseAudioServerWithinTheLatencyBudget)
{
    const char* server = std::getenv("ORV_TEST_PULSE_SERVER");
    if (!server)
        GTEST_SKIP() << "ORV_TEST_PULSE_SERVER names no private PulseAudio server";
    setenv("PULSE_SERVER", server, 1);
    openOn("pulseaudio");

    EXPECT_GT(peakAtSinkAfterANote(server, 0.5), 0.01f) << "the whistle reaches the sink";

    const std::optional<SynthOutputStatus> state = midiOutSynthStatus(handle);
    ASSERT_TRUE(state.has_value());
    EXPECT_GT(state->latencyMicros, 0);
    // A busy machine may cost underruns, which may grow the buffer; without
    // them the whole latency stays within 20 ms.
    if (state->underruns == 0) {
        EXPECT_LE(state->latencyMicros, 20000);
    }
}

TEST_F(RealAudio, PausesItsStreamWhileTheSynthRestsAndPlaysTheNextNoteAtOnce)
{
    const char* server = std::getenv("ORV_TEST_PULSE_SERVER");
    if (!server)
        GTEST_SKIP() << "ORV_TEST_PULSE_SERVER names no private PulseAudio server";
    setenv("PULSE_SERVER", server, 1);
    keepAwake = KeepAwake::Always;
    openOn("pulseaudio");
    const std::string streams = "PULSE_SERVER='" + std::string(server) + "' pactl list sink-inputs 2>/dev/null";
    const auto waitForCork = [&] {
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        std::string listed = outputOf(streams);
        while (listed.find("Corked: yes") == std::string::npos && std::chrono::steady_clock::now() < giveUp) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            listed = outputOf(streams);
        }
        return listed;
    };
    const auto keepingAwake = [this] {
        const std::optional<SynthOutputStatus> state = midiOutSynthStatus(handle);
        return state && state->keepingProcessorsAwake;
    };

    // Nothing sounds: after its rest the synth's stream is corked, and the
    // processors were never kept awake.
    std::string listed = waitForCork();
    ASSERT_NE(listed.find("Corked: yes"), std::string::npos) << listed;
    EXPECT_FALSE(keepingAwake());

    EXPECT_GT(peakAtSinkAfterANote(server, 0.25), 0.01f) << "the note reaches the sink within a quarter of a second";
    EXPECT_NE(outputOf(streams).find("Corked: no"), std::string::npos);
    EXPECT_TRUE(keepingAwake()) << "while the note sounds";

    midiOutShortMsg(handle, packShortMessage(0x80, 69, 0));
    listed = waitForCork();
    ASSERT_NE(listed.find("Corked: yes"), std::string::npos) << listed;
    EXPECT_FALSE(keepingAwake()) << "once the synth rests again";
}

TEST_F(RealAudio, ConnectsItsOutputsToTheJackPlaybackPortsByItself)
{
    const char* server = std::getenv("ORV_TEST_JACK_SERVER");
    if (!server)
        GTEST_SKIP() << "ORV_TEST_JACK_SERVER names no private JACK server";
    setenv("JACK_DEFAULT_SERVER", server, 1);
    openOn("jack");
    playNote();
    const std::string connections = outputOf("jack_lsp -c 2>/dev/null");
    // jack_lsp -c lists each port, then each of its connections indented.
    EXPECT_NE(connections.find("\nOrvelline:left\n   system:playback_1\n"), std::string::npos) << connections;
    EXPECT_NE(connections.find("\nOrvelline:right\n   system:playback_2\n"), std::string::npos) << connections;
}

TEST_F(RealAudio, FailsAtOnceWithTheAudioErrorWhenNoServerAnswers)
{
    setenv("PULSE_SERVER", "unix:/nonexistent/orv-test/native", 1);
    useAudioDriver("pulseaudio");
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(midiOutOpen(handle, MidiMapper), MidiNoAudio);
    EXPECT_EQ(handle, MidiOutHandle::Null);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10)) << "no hang";
}

TEST_F(RealAudio, WaitsForItsPulseAudioServerAndSoundsAgainByItselfAfterTheServerWasKilled)
{
    // Where the private servers run (not under the sanitizers), with a server of its own.
    if (!std::getenv("ORV_TEST_PULSE_SERVER") || !PrivatePulse::installed())
        GTEST_SKIP() << "no private PulseAudio server here, or pulseaudio is not installed";
    PrivatePulse pulse;
    const std::string server = pulse.server();
    setenv("PULSE_SERVER", server.c_str(), 1);
    const SaidMessages said;
    const auto quick = [this](const char* what) {
        const auto began = std::chrono::steady_clock::now();
        for (int i = 0; i < 200; ++i)
            EXPECT_EQ(midiOutShortMsg(handle, packShortMessage(0xE0, 0, std::uint8_t(i % 128))), MmOk);
        const std::optional<SynthOutputStatus> state = midiOutSynthStatus(handle);
        EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::milliseconds(500)) << what;
        return state;
    };

    // No server at the start: the synth opens, says so once, and waits.
    waitForServer = true;
    openOn("pulseaudio");
    std::optional<SynthOutputStatus> state = quick("sends with no server");
    ASSERT_TRUE(state && state->waitingForServer);
    EXPECT_EQ(describeSynthStatus(*state), "Built-in synth on PulseAudio: no sound server, waiting for it");
    EXPECT_EQ(said.all().size(), 1u);

    ASSERT_TRUE(pulse.start());
    const auto firstConnect = untilConnected(handle, true);
    EXPECT_LT(firstConnect, std::chrono::seconds(3)) << "connects by itself once the server answers";
    EXPECT_GT(peakAtSinkAfterANote(server.c_str(), 0.5), 0.01f) << "sounds without being opened again";
    midiOutShortMsg(handle, packShortMessage(0x80, 69, 0));
    std::this_thread::sleep_for(std::chrono::seconds(2));  // the whistle's tail dies away

    // A song under way when the server is killed is dropped, and said once.
    const std::int64_t songStart = nowMicros();
    ASSERT_EQ(midiOutSongStart(handle, songStart), MmOk);
    EXPECT_EQ(midiOutShortMsgAt(handle, packShortMessage(0x90, 69, 120), songStart + 1'000'000), MmOk);
    EXPECT_FALSE(midiOutSongInterrupted(handle));
    pulse.kill();
    EXPECT_LT(untilConnected(handle, false), std::chrono::seconds(3)) << "sees the server go";
    state = quick("sends while the server is gone");
    ASSERT_TRUE(state && state->waitingForServer);
    EXPECT_TRUE(midiOutSongInterrupted(handle));
    const std::vector<std::string> messages = said.all();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_NE(messages[1].find("sound server went away"), std::string::npos) << messages[1];

    ASSERT_TRUE(pulse.start());
    const auto reconnect = untilConnected(handle, true);
    EXPECT_LT(reconnect, std::chrono::seconds(3)) << "reconnects by itself";
    std::printf("connected %lld ms after the server first answered, %lld ms after it answered again\n",
                static_cast<long long>(firstConnect.count()), static_cast<long long>(reconnect.count()));
    // Past the song's note: it never plays, now or at a wrong place later.
    std::this_thread::sleep_until(std::chrono::steady_clock::now() + std::chrono::microseconds(std::max<std::int64_t>(
                                                                         0, songStart + 1'500'000 - nowMicros())));
    EXPECT_LT(peakAtSink(server.c_str(), 2.5, false), 0.01f) << "the dropped song stays silent";
    EXPECT_GT(peakAtSinkAfterANote(server.c_str(), 0.5), 0.01f) << "live playing sounds again";
    EXPECT_EQ(said.all().size(), 2u);
}
