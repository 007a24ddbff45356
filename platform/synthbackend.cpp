#include "platform/synthbackend.h"

#include "platform/softsynthimpl.h"
#include "platform/soundfont.h"

#include <mutex>

namespace platform {

namespace {

// 4 periods of 128 frames: 10.7 ms at 48 kHz, within the 12 ms the live
// instrument can bear between a movement and its sound.
constexpr int kPeriodFrames = 128;
constexpr int kPeriods = 4;
constexpr double kSampleRate = 48000;

std::mutex driversMutex;
std::vector<std::string> audioDrivers{"pulseaudio", "alsa", "jack"};

class SynthPort : public MidiPort {
public:
    SynthPort(std::unique_ptr<SoftSynth> synth, fluid_audio_driver_t* driver)
        : synth_(std::move(synth)), driver_(driver) {}
    ~SynthPort() override { stop(); }

    MmResult sendShort(std::uint32_t packed) override
    {
        synth_->shortMessage(packed);
        return MmOk;
    }

    MmResult sendLong(std::span<const std::uint8_t> bytes) override
    {
        synth_->longMessage(bytes);
        return MmOk;
    }

    MmResult close() override
    {
        stop();
        return MmOk;
    }

    MmResult loadSoundFont(const std::filesystem::path& file) { return synth_->loadSoundFont(file); }

private:
    void stop()
    {
        // The driver's thread renders from the synth, so it goes first.
        if (driver_) {
            delete_fluid_audio_driver(driver_);
            driver_ = nullptr;
        }
        synth_.reset();
    }

    std::unique_ptr<SoftSynth> synth_;
    fluid_audio_driver_t* driver_;
};

fluid_audio_driver_t* startAudio(SoftSynth& synth)
{
    SoftSynth::Impl& impl = synth.impl();
    fluid_settings_setint(impl.settings, "audio.period-size", kPeriodFrames);
    fluid_settings_setint(impl.settings, "audio.periods", kPeriods);
    for (const std::string& name : synthAudioDrivers()) {
        fluid_settings_setstr(impl.settings, "audio.driver", name.c_str());
        if (fluid_audio_driver_t* driver = new_fluid_audio_driver(impl.settings, impl.synth))
            return driver;
    }
    return nullptr;
}

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
        // Audio first: it fails fast, where loading a SoundFont takes a moment.
        fluid_audio_driver_t* driver = startAudio(*synth);
        if (!driver)
            return MidiNoAudio;
        auto opened = std::make_unique<SynthPort>(std::move(synth), driver);
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

}  // namespace platform
