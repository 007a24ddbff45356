#include "platform/synthbackend.h"

#include "mididata/messagesink.h"
#include "platform/audiothread.h"
#include "platform/clock.h"
#include "platform/errortext.h"
#include "platform/fileaudio.h"
#include "platform/processorsawake.h"
#include "platform/programfolders.h"
#include "platform/softsynthfeed.h"
#include "platform/softsynthimpl.h"
#include "platform/softsynthpulse.h"
#include "platform/soundfont.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string_view>
#include <thread>
#include <utility>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace platform {

namespace {

// The synth's own period: the unit it renders in, and the wait of a live
// message in the feed (2.7 ms at 48 kHz).
constexpr int kPeriodFrames = 128;
constexpr double kSampleRate = 48000;
static_assert(kPeriodFrames % SoftSynthFeed::kBlockFrames == 0);
// A PulseAudio server asks for one synth block at a time: the sink then
// holds only that much, and the stream's buffer covers the longest stall
// for the latency (platform/softsynthpulse.cpp).
constexpr int kPulsePeriodFrames = SoftSynthFeed::kBlockFrames;
// How early the player may send a song's event. A sound server's clock may
// run off the system's by a tenth of a percent (a null sink counting whole
// microseconds): a second covers a quarter of an hour of that, while a tempo
// change from the window takes a second to be heard.
constexpr std::int64_t kSongLookaheadMicros = 1'000'000;
// An ALSA card's buffer: three periods of 5.3 ms, 16 ms in all, which a busy
// machine keeps filled.
constexpr int kAlsaPeriodFrames = 256;
constexpr int kAlsaPeriods = 3;
// The SoundFont loads a little below normal priority: the window and the
// sound server come first, yet on a machine busy with other work the load
// still gets its share (at the lowest priority it took ten seconds there).
constexpr int kLoaderNice = 5;

constexpr std::string_view kFileDriver = "file";
constexpr std::string_view kPulseDriver = "pulseaudio";
constexpr std::string_view kJackDriver = "jack";

// Said once each time, in the window's message box or on standard error.
constexpr const char* kServerGoneText =
    "The sound server went away: the built-in synth is silent until the server is back, and then sounds again by "
    "itself.";
constexpr const char* kNoServerText =
    "No sound server answers: the built-in synth sounds by itself as soon as one starts.";

float peakOf(const float* samples, int count, int stride)
{
    float peak = 0;
    for (int i = 0; i < count; ++i)
        peak = std::max(peak, std::fabs(samples[i * stride]));
    return peak;
}

// Renders blocks into the buffers of one period that a FluidSynth driver
// hands over, zeroed.
class DriverBuffers : public SoftSynthFeed::BlockRenderer {
public:
    DriverBuffers(fluid_synth_t* synth, int nfx, float* fx[], int nout, float* out[])
        : synth_(synth), nfx_(std::min(nfx, kMaxBuffers)), fx_(fx), nout_(std::min(nout, kMaxBuffers) & ~1), out_(out)
    {}

    float renderBlock(int offset, int frames) override
    {
        if (nout_ == 0)
            return 0;
        float* dry[kMaxBuffers];
        float* effects[kMaxBuffers];
        for (int i = 0; i < nout_; ++i)
            dry[i] = out_[i] + offset;
        int neffects = nfx_;
        for (int i = 0; i < nfx_; ++i)
            effects[i] = fx_[i] + offset;
        // Most drivers have no effect buffers: reverb and chorus are mixed
        // into the dry pair instead.
        if (neffects == 0) {
            effects[0] = effects[2] = dry[0];
            effects[1] = effects[3] = dry[1];
            neffects = 4;
        }
        fluid_synth_process(synth_, frames, neffects, effects, nout_, dry);
        float peak = 0;
        for (int i = 0; i < nout_; ++i)
            peak = std::max(peak, peakOf(dry[i], frames, 1));
        return peak;
    }

    void silenceBlock(int offset, int frames) override
    {
        for (int i = 0; i < nout_; ++i)
            std::fill_n(out_[i] + offset, frames, 0.0f);
        for (int i = 0; i < nfx_; ++i)
            std::fill_n(fx_[i] + offset, frames, 0.0f);
    }

private:
    static constexpr int kMaxBuffers = 32;
    fluid_synth_t* synth_;
    int nfx_;
    float** fx_;
    int nout_;
    float** out_;
};

// Renders blocks into one interleaved stereo period.
class InterleavedBuffer : public SoftSynthFeed::BlockRenderer {
public:
    InterleavedBuffer(fluid_synth_t* synth, float* out) : synth_(synth), out_(out) {}

    float renderBlock(int offset, int frames) override
    {
        fluid_synth_write_float(synth_, frames, out_, 2 * offset, 2, out_, 2 * offset + 1, 2);
        return peakOf(out_ + 2 * offset, 2 * frames, 1);
    }

    void silenceBlock(int offset, int frames) override { std::fill_n(out_ + 2 * offset, 2 * frames, 0.0f); }

private:
    fluid_synth_t* synth_;
    float* out_;
};

class SynthPort;

// The audio outputs the built-in synth plays through, by the name the sound
// settings give them, with the name the device window shows.
struct AudioOutputEntry {
    std::string_view driver;
    std::string_view displayName;
    bool (SynthPort::*open)(const std::string& name, const OutputOptions& options, bool awaitServer);
};

class SynthPort : public MidiPort {
public:
    static const AudioOutputEntry* audioOutputNamed(std::string_view driver);

    explicit SynthPort(std::unique_ptr<SoftSynth> synth)
        : synth_(std::move(synth)), feed_(std::make_unique<SoftSynthFeed>(*synth_, synth_->sampleRate()))
    {}
    ~SynthPort() override { stop(); }

    // Tries the outputs in order; false when none opens. With none, a
    // PulseAudio output waits for its server when the options say so.
    bool startAudio(const OutputOptions& options)
    {
        for (const std::string& name : options.synthAudioDrivers) {
            // Before the output, whose audio thread may run at once.
            if (name != kFileDriver && keepAwakeApplies(options.keepProcessorsAwake))
                awake_ = std::make_unique<ProcessorsAwake>();
            if (openOutput(name, options, false))
                return opened(name);
            awake_.reset();
        }
        const auto& drivers = options.synthAudioDrivers;
        if (!options.waitForSoundServer || std::find(drivers.begin(), drivers.end(), kPulseDriver) == drivers.end())
            return false;
        if (keepAwakeApplies(options.keepProcessorsAwake))
            awake_ = std::make_unique<ProcessorsAwake>();
        feed_->outputLost();
        if (!openOutput(std::string(kPulseDriver), options, true)) {
            awake_.reset();
            return false;
        }
        reportMessage(kNoServerText);
        return opened(std::string(kPulseDriver));
    }

    // Loads the SoundFont on a thread of its own; the audio stays silent until it is in.
    void loadSoundFont(const std::filesystem::path& file)
    {
        {
            // The status is read under this lock from other threads.
            std::lock_guard lock(soundFontFileMutex_);
            soundFontFile_ = file;
        }
        loader_ = std::thread([this, file] {
            // FluidSynth reads the samples on worker threads created from this
            // one, which take its priority: below normal, so that the window
            // coming up and every sound server keep the processors they need.
            setpriority(PRIO_PROCESS, pid_t(syscall(SYS_gettid)), kLoaderNice);
            const bool loaded = synth_->loadSoundFont(file) == MmOk;
            if (loaded)
                feed_->markReady(nowMicros());
            soundFont_.store(loaded ? SynthOutputStatus::SoundFont::Ready : SynthOutputStatus::SoundFont::Failed);
            if (loaded && pulse_)
                pulse_->start();
            if (!loaded)
                reportMessage(midiOutGetErrorText(MidiSoundFontUnreadable));
        });
    }

    MmResult sendShort(std::uint32_t packed) override { return sent(feed_->sendShort(packed)); }

    MmResult sendLong(std::span<const std::uint8_t> bytes) override { return sent(feed_->sendLong(bytes)); }

    void beginSong(std::int64_t startMicros) override
    {
        feed_->beginSong(startMicros);
        // From the song's lead-in on, not from its first note.
        if (awake_)
            awake_->hold();
    }
    std::int64_t songLookaheadMicros() const override { return kSongLookaheadMicros; }
    void cancelSong() override { feed_->cancelSong(); }
    bool songInterrupted() const override { return feed_->songInterrupted(); }

    MmResult sendShortAt(std::uint32_t packed, std::int64_t dueMicros) override
    {
        return sent(feed_->sendShortAt(packed, dueMicros));
    }

    MmResult sendLongAt(std::span<const std::uint8_t> bytes, std::int64_t dueMicros) override
    {
        return sent(feed_->sendLongAt(bytes, dueMicros));
    }

    void waitUntilReady(int timeoutMillis) override
    {
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMillis);
        while (soundFont_.load() == SynthOutputStatus::SoundFont::Loading && std::chrono::steady_clock::now() < giveUp)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }

    MmResult close() override
    {
        stop();
        return MmOk;
    }

    std::optional<SynthOutputStatus> synthStatus() const override
    {
        SynthOutputStatus status;
        status.driver = driverName_;
        status.soundFont = soundFont_.load();
        {
            std::lock_guard lock(soundFontFileMutex_);
            status.soundFontFile = soundFontFile_;
        }
        const std::int64_t feedMicros = std::llround(kPeriodFrames * 1e6 / synth_->sampleRate());
        if (pulse_) {
            status.latencyMicros =
                pulse_->latencyMicros() + std::llround(kPulsePeriodFrames * 1e6 / synth_->sampleRate());
            status.underruns = pulse_->underruns();
            status.waitingForServer = !pulse_->connected();
        } else {
            status.latencyMicros = driverLatencyMicros_ + feedMicros;
        }
        status.keepingProcessorsAwake = awake_ && awake_->held();
        return status;
    }

private:
    bool ready() const { return soundFont_.load() == SynthOutputStatus::SoundFont::Ready; }

    bool opened(const std::string& name)
    {
        driverName_ = name;
        return true;
    }

    // On the output's thread: what played is gone, and a song cannot go on.
    void outputLost()
    {
        feed_->outputLost();
        if (awake_)
            awake_->release();
        reportMessage(kServerGoneText);
    }

    // A message went into the feed: a stream paused while the synth rested plays again.
    MmResult sent(bool queued)
    {
        if (pulse_)
            pulse_->wake();
        return queued ? MmOk : MidiSendFailed;
    }

    // The audio outputs are one table (kAudioOutputs); a name it does not
    // hold is one of FluidSynth's own drivers.
    static const AudioOutputEntry kAudioOutputs[];
    bool openOutput(const std::string& name, const OutputOptions& options, bool awaitServer);

    bool openFile(const std::string&, const OutputOptions& options, bool)
    {
        fileAudio_ =
            FileAudio::start(*synth_, *feed_, kPeriodFrames, options.fileAudioOutput, [this] { return ready(); });
        return fileAudio_ != nullptr;
    }

    bool openPulse(const std::string&, const OutputOptions&, bool awaitServer)
    {
        PulseOutput::Source source;
        source.render = [this](float* out, int frames) { renderInterleaved(out, frames); };
        source.mayPause = [this] { return feed_->mayPause(); };
        source.resumed = [this] { feed_->resumeAt(nowMicros()); };
        source.songPlaying = [this] { return feed_->songPlaying(); };
        source.lost = [this] { outputLost(); };
        source.restarted = [this] { feed_->outputRestarted(nowMicros()); };
        pulse_ = awaitServer ? PulseOutput::awaitServer(synth_->sampleRate(), kPulsePeriodFrames, std::move(source))
                             : PulseOutput::open(synth_->sampleRate(), kPulsePeriodFrames, std::move(source));
        return pulse_ != nullptr;
    }

    bool openJack(const std::string& name, const OutputOptions& options, bool awaitServer)
    {
        // A JACK server that is not running stays so: no sound card is
        // taken over behind the user's back.
        setenv("JACK_NO_START_SERVER", "1", 0);
        SoftSynth::Impl& impl = synth_->impl();
        fluid_settings_setint(impl.settings, "audio.jack.autoconnect", 1);
        fluid_settings_setstr(impl.settings, "audio.jack.id", "Orvelline");
        return openDriver(name, options, awaitServer);
    }

    bool openDriver(const std::string& name, const OutputOptions&, bool)
    {
        SoftSynth::Impl& impl = synth_->impl();
        fluid_settings_setint(impl.settings, "audio.period-size", kAlsaPeriodFrames);
        fluid_settings_setint(impl.settings, "audio.periods", kAlsaPeriods);
        fluid_settings_setint(impl.settings, "audio.realtime-prio", kAudioThreadPriority);
        fluid_settings_setstr(impl.settings, "audio.driver", name.c_str());
        driver_ = new_fluid_audio_driver2(impl.settings, &SynthPort::renderPeriod, this);
        if (!driver_)
            return false;
        int size = kAlsaPeriodFrames;
        int periods = kAlsaPeriods;
        fluid_settings_getint(impl.settings, "audio.period-size", &size);
        fluid_settings_getint(impl.settings, "audio.periods", &periods);
        // A JACK server hands over one buffer at a time, whatever the settings say.
        const int buffered = name == kJackDriver ? size : size * periods;
        driverLatencyMicros_ = std::llround(buffered * 1e6 / synth_->sampleRate());
        return true;
    }

    // FluidSynth's audio callback, on the driver's thread.
    static int renderPeriod(void* data, int len, int nfx, float* fx[], int nout, float* out[])
    {
        auto& port = *static_cast<SynthPort*>(data);
        DriverBuffers buffers(port.synth_->impl().synth, nfx, fx, nout, out);
        port.feed_->renderPeriod(len, nowMicros(), buffers, port.ready());
        port.keepAwakeWhileSounding();
        return FLUID_OK;
    }

    void renderInterleaved(float* out, int frames)
    {
        InterleavedBuffer buffer(synth_->impl().synth, out);
        feed_->renderPeriod(frames, nowMicros(), buffer, ready());
        keepAwakeWhileSounding();
    }

    // After each period, on the audio thread: from the first sound until the
    // synth rests. A program, a controller or the silence of a window left
    // open costs nothing.
    void keepAwakeWhileSounding()
    {
        if (!awake_)
            return;
        if (feed_->sounding())
            awake_->hold();
        else if (awake_->held() && feed_->mayPause())
            awake_->release();
    }

    void stop()
    {
        // A load cannot be cut short; closing waits for it.
        if (loader_.joinable())
            loader_.join();
        // The audio thread renders from the feed and the synth, so it goes first.
        if (driver_) {
            delete_fluid_audio_driver(driver_);
            driver_ = nullptr;
        }
        pulse_.reset();
        fileAudio_.reset();
        awake_.reset();
    }

    std::unique_ptr<SoftSynth> synth_;
    std::unique_ptr<SoftSynthFeed> feed_;
    std::string driverName_;
    std::atomic<SynthOutputStatus::SoundFont> soundFont_{SynthOutputStatus::SoundFont::Loading};
    std::thread loader_;
    mutable std::mutex soundFontFileMutex_;
    std::filesystem::path soundFontFile_;  // guarded by soundFontFileMutex_
    fluid_audio_driver_t* driver_ = nullptr;
    std::int64_t driverLatencyMicros_ = 0;
    std::unique_ptr<PulseOutput> pulse_;
    std::unique_ptr<FileAudio> fileAudio_;
    std::unique_ptr<ProcessorsAwake> awake_;
};

const AudioOutputEntry SynthPort::kAudioOutputs[] = {
    {kPulseDriver, "PulseAudio", &SynthPort::openPulse},
    {"alsa", "ALSA", &SynthPort::openDriver},
    {kJackDriver, "JACK", &SynthPort::openJack},
    {kFileDriver, "a file", &SynthPort::openFile},
    {},
};

const AudioOutputEntry* SynthPort::audioOutputNamed(std::string_view driver)
{
    for (const AudioOutputEntry* entry = kAudioOutputs; !entry->driver.empty(); ++entry)
        if (entry->driver == driver)
            return entry;
    return nullptr;
}

bool SynthPort::openOutput(const std::string& name, const OutputOptions& options, bool awaitServer)
{
    const AudioOutputEntry* entry = audioOutputNamed(name);
    return (this->*(entry ? entry->open : &SynthPort::openDriver))(name, options, awaitServer);
}

class SynthBackend : public MidiBackend {
public:
    explicit SynthBackend(OutputOptions options) : options_(std::move(options)) {}

    std::vector<DeviceInfo> listDevices() override
    {
        return {{"Built-in synth", MidiTechnology::SoftwareSynth, "synth"}};
    }

    MmResult open(const DeviceInfo&, std::unique_ptr<MidiPort>& port) override
    {
        const std::filesystem::path soundFont = soundFontToUse(
            options_.soundFont,
            options_.soundFontFolders ? *options_.soundFontFolders : ProgramFolders::ofThisProcess().extraFolders());
        if (soundFont.empty())
            return MidiNoSoundFont;
        std::unique_ptr<SoftSynth> synth = SoftSynth::create({kSampleRate, false});
        if (!synth)
            return MidiSynthFailed;
        auto opened = std::make_unique<SynthPort>(std::move(synth));
        // Audio first: it fails fast, where loading a SoundFont takes a moment.
        if (!opened->startAudio(options_))
            return MidiNoAudio;
        // A file that is no SoundFont at all is refused at once; the load
        // itself goes on while the window comes up.
        if (!SoftSynth::looksLikeSoundFont(soundFont))
            return MidiSoundFontUnreadable;
        opened->loadSoundFont(soundFont);
        port = std::move(opened);
        return MmOk;
    }

private:
    OutputOptions options_;
};

}  // namespace

std::unique_ptr<MidiBackend> makeSynthBackend(const OutputOptions& options)
{
    return std::make_unique<SynthBackend>(options);
}

std::string describeSynthStatus(const SynthOutputStatus& status)
{
    const AudioOutputEntry* known = SynthPort::audioOutputNamed(status.driver);
    const std::string output = known ? std::string(known->displayName) : status.driver;
    std::string line = "Built-in synth on " + output + ": ";
    if (status.soundFont == SynthOutputStatus::SoundFont::Failed)
        return line + "the SoundFont did not load";
    if (status.waitingForServer)
        return line + "no sound server, waiting for it";
    if (status.soundFont == SynthOutputStatus::SoundFont::Loading)
        return line + "loading the SoundFont";
    char latency[32];
    std::snprintf(latency, sizeof latency, "%.1f", double(status.latencyMicros) / 1000.0);
    line += "latency " + std::string(latency) + " ms";
    if (status.underruns >= 0)
        line += ", " + std::to_string(status.underruns) + (status.underruns == 1 ? " underrun" : " underruns");
    return line;
}

}  // namespace platform
