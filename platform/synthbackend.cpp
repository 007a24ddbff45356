#include "platform/synthbackend.h"

#include "platform/clock.h"
#include "platform/fileaudio.h"
#include "platform/softsynthfeed.h"
#include "platform/softsynthimpl.h"
#include "platform/soundfont.h"

#include <algorithm>
#include <mutex>
#include <string_view>

namespace platform {

namespace {

// A message waits one period in the feed (platform/softsynthfeed.h) and then
// three more in the driver's buffer: 10.7 ms at 48 kHz from a movement to its
// sound, within the 12 ms the live instrument can bear.
constexpr int kPeriodFrames = 128;
constexpr int kPeriods = 3;
constexpr double kSampleRate = 48000;
static_assert(kPeriodFrames % SoftSynthFeed::kBlockFrames == 0);

// The stand-in for a sound card (platform/fileaudio.h).
constexpr std::string_view kFileDriver = "file";

std::mutex driversMutex;
// Guarded by driversMutex: what the last synth that opened uses, and which port that is.
SynthInUse inUse;
const void* inUseBy = nullptr;

void setInUse(const void* port, SynthInUse what)
{
    std::lock_guard lock(driversMutex);
    inUse = std::move(what);
    inUseBy = port;
}

void clearInUse(const void* port)
{
    std::lock_guard lock(driversMutex);
    if (inUseBy == port) {
        inUse = {};
        inUseBy = nullptr;
    }
}
std::vector<std::string> audioDrivers{"pulseaudio", "alsa", "jack"};

// Renders blocks into the buffers of one period that a FluidSynth driver hands over.
class DriverBuffers : public SoftSynthFeed::BlockRenderer {
public:
    DriverBuffers(fluid_synth_t* synth, int nfx, float* fx[], int nout, float* out[])
        : synth_(synth), nfx_(std::min(nfx, kMaxBuffers)), fx_(fx), nout_(std::min(nout, kMaxBuffers) & ~1), out_(out)
    {
    }

    void renderBlock(int offset, int frames) override
    {
        if (nout_ == 0)
            return;
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
    }

private:
    static constexpr int kMaxBuffers = 32;
    fluid_synth_t* synth_;
    int nfx_;
    float** fx_;
    int nout_;
    float** out_;
};

class SynthPort : public MidiPort {
public:
    explicit SynthPort(std::unique_ptr<SoftSynth> synth)
        : synth_(std::move(synth)), feed_(std::make_unique<SoftSynthFeed>(*synth_, synth_->sampleRate()))
    {
    }
    ~SynthPort() override { stop(); }

    // Tries the drivers in order; false when none opens.
    bool startAudio()
    {
        SoftSynth::Impl& impl = synth_->impl();
        for (const std::string& name : synthAudioDrivers()) {
            if (name == kFileDriver) {
                fileAudio_ = FileAudio::start(*synth_, *feed_, kPeriodFrames);
                if (fileAudio_) {
                    driverName_ = name;
                    return true;
                }
                continue;
            }
            fluid_settings_setint(impl.settings, "audio.period-size", kPeriodFrames);
            fluid_settings_setint(impl.settings, "audio.periods", kPeriods);
            fluid_settings_setstr(impl.settings, "audio.driver", name.c_str());
            driver_ = new_fluid_audio_driver2(impl.settings, &SynthPort::renderPeriod, this);
            if (driver_) {
                driverName_ = name;
                return true;
            }
        }
        return false;
    }

    MmResult sendShort(std::uint32_t packed) override
    {
        if (!feed_)
            return MidiInvalidHandle;
        return feed_->sendShort(packed) ? MmOk : MidiSendFailed;
    }

    MmResult sendLong(std::span<const std::uint8_t> bytes) override
    {
        if (!feed_)
            return MidiInvalidHandle;
        return feed_->sendLong(bytes) ? MmOk : MidiSendFailed;
    }

    MmResult close() override
    {
        stop();
        return MmOk;
    }

    MmResult loadSoundFont(const std::filesystem::path& file)
    {
        const MmResult status = synth_->loadSoundFont(file);
        if (status == MmOk)
            setInUse(this, {file, driverName_});
        return status;
    }

private:
    // FluidSynth's audio callback, on the driver's thread.
    static int renderPeriod(void* data, int len, int nfx, float* fx[], int nout, float* out[])
    {
        auto& port = *static_cast<SynthPort*>(data);
        DriverBuffers buffers(port.synth_->impl().synth, nfx, fx, nout, out);
        port.feed_->renderPeriod(len, nowMicros(), buffers);
        return FLUID_OK;
    }

    void stop()
    {
        clearInUse(this);
        // The audio thread renders from the feed and the synth, so it goes first.
        if (driver_) {
            delete_fluid_audio_driver(driver_);
            driver_ = nullptr;
        }
        fileAudio_.reset();
        feed_.reset();
        synth_.reset();
    }

    std::unique_ptr<SoftSynth> synth_;
    std::unique_ptr<SoftSynthFeed> feed_;
    fluid_audio_driver_t* driver_ = nullptr;
    std::unique_ptr<FileAudio> fileAudio_;
    std::string driverName_;
};

class SynthBackend : public MidiBackend {
public:
    std::vector<DeviceInfo> listDevices() override
    {
        return {{"Built-in synth", MidiTechnology::SoftwareSynth, "synth"}};
    }

    MmResult open(const DeviceInfo&, std::unique_ptr<MidiPort>& port) override
    {
        const std::filesystem::path soundFont = findSoundFont();
        if (soundFont.empty())
            return MidiNoSoundFont;
        std::unique_ptr<SoftSynth> synth = SoftSynth::create({kSampleRate, false});
        if (!synth)
            return MidiSynthFailed;
        auto opened = std::make_unique<SynthPort>(std::move(synth));
        // Audio first: it fails fast, where loading a SoundFont takes a moment.
        if (!opened->startAudio())
            return MidiNoAudio;
        // Loading while the driver already plays silence is safe: the synth locks itself.
        if (const MmResult status = opened->loadSoundFont(soundFont); status != MmOk)
            return status;
        port = std::move(opened);
        return MmOk;
    }
};

}  // namespace

std::unique_ptr<MidiBackend> makeSynthBackend()
{
    return std::make_unique<SynthBackend>();
}

void setSynthAudioDrivers(std::vector<std::string> drivers)
{
    std::lock_guard lock(driversMutex);
    audioDrivers = std::move(drivers);
}

std::vector<std::string> synthAudioDrivers()
{
    std::lock_guard lock(driversMutex);
    return audioDrivers;
}

SynthInUse synthInUse()
{
    std::lock_guard lock(driversMutex);
    return inUse;
}

}  // namespace platform
