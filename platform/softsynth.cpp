#include "platform/softsynth.h"

#include "midispec/midivocabulary.h"
#include "platform/quietlibs.h"
#include "platform/shortmsg.h"
#include "platform/softsynthimpl.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <string_view>

namespace platform {

namespace {

// FluidSynth counts frames in an int; larger renders go in pieces.
constexpr std::size_t kRenderChunk = 65536;

// Whether the body of a system-exclusive message is the given one, whatever
// device number it carries in its second byte. The pattern ends in F7, the body does not.
template <std::size_t N>
bool isForAnyDevice(std::span<const std::uint8_t> body, const std::array<std::uint8_t, N>& pattern)
{
    return body.size() == N - 1 && body[0] == pattern[0] &&
           std::equal(pattern.begin() + 2, pattern.end() - 1, body.begin() + 2);
}

// The body of a system-exclusive message (without F0 and F7) that asks a GM,
// GS or XG module to reset, whatever its device number.
bool isModuleReset(std::span<const std::uint8_t> body)
{
    constexpr std::uint8_t kGm2SystemOn = 0x03;  // in place of GM System On's 0x01
    if (body.size() == midi::kGmSystemOn.size() - 1 && body[0] == midi::kGmSystemOn[0] &&
        body[2] == midi::kGmSystemOn[2])
        return body[3] == midi::kGmSystemOn[3] || body[3] == kGm2SystemOn;
    if (isForAnyDevice(body, midi::kGsReset))
        return true;
    return isForAnyDevice(body, midi::kXgSystemOn) && (body[1] & 0xF0) == 0x10;  // XG device numbers are 1n
}

}  // namespace

// A SoundFont 2 (sf2, sf3) or DLS file is a RIFF file of form "sfbk" or "DLS ".
// Anything else never reaches FluidSynth, whose fallback loader would print
// about it.
bool SoftSynth::looksLikeSoundFont(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    char header[12] = {};
    if (!in.read(header, sizeof header))
        return false;
    const std::string_view riff(header, 4);
    const std::string_view form(header + 8, 4);
    return riff == "RIFF" && (form == "sfbk" || form == "DLS ");
}

SoftSynth::SoftSynth(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

SoftSynth::~SoftSynth() = default;

std::unique_ptr<SoftSynth> SoftSynth::create(const Options& options)
{
    silenceLibraryLogs();
    auto impl = std::make_unique<Impl>();
    impl->settings = new_fluid_settings();
    if (!impl->settings)
        return nullptr;
    fluid_settings_setnum(impl->settings, "synth.sample-rate", options.sampleRate);
    fluid_settings_setint(impl->settings, "synth.dynamic-sample-loading", options.loadSamplesOnDemand ? 1 : 0);
    fluid_settings_setint(impl->settings, "synth.reverb.active", 1);
    fluid_settings_setint(impl->settings, "synth.chorus.active", 1);
    impl->synth = new_fluid_synth(impl->settings);
    if (!impl->synth)
        return nullptr;
    double rate = options.sampleRate;
    fluid_settings_getnum(impl->settings, "synth.sample-rate", &rate);
    impl->sampleRate = rate;
    return std::unique_ptr<SoftSynth>(new SoftSynth(std::move(impl)));
}

MmResult SoftSynth::loadSoundFont(const std::filesystem::path& file)
{
    if (!looksLikeSoundFont(file))
        return MidiSoundFontUnreadable;
    const int id = fluid_synth_sfload(impl_->synth, file.c_str(), 1);
    if (id == FLUID_FAILED)
        return MidiSoundFontUnreadable;
    if (impl_->soundFontId >= 0)
        fluid_synth_sfunload(impl_->synth, impl_->soundFontId, 1);
    impl_->soundFontId = id;
    impl_->soundFont = file;
    return MmOk;
}

int SoftSynth::activeVoices() const
{
    return fluid_synth_get_active_voice_count(impl_->synth);
}

const std::filesystem::path& SoftSynth::soundFont() const
{
    return impl_->soundFont;
}

double SoftSynth::sampleRate() const
{
    return impl_->sampleRate;
}

void SoftSynth::shortMessage(std::uint32_t packed)
{
    // An offline render comes here without passing a port, so the synth limits
    // the data bytes itself, as the ports' one entry does.
    const ShortMessage message = unpackShortMessage(clampDataBytes(packed));
    if (message.length == 0)
        return;
    fluid_synth_t* synth = impl_->synth;
    const std::uint8_t status = message.bytes[0];
    const int channel = status & 0x0F;
    const int data1 = message.bytes[1];
    const int data2 = message.bytes[2];
    switch (status & 0xF0) {
    case 0x80: fluid_synth_noteoff(synth, channel, data1); break;
    case 0x90:
        if (data2 == 0)
            fluid_synth_noteoff(synth, channel, data1);
        else
            fluid_synth_noteon(synth, channel, data1, data2);
        break;
    case 0xA0: fluid_synth_key_pressure(synth, channel, data1, data2); break;
    case 0xB0: fluid_synth_cc(synth, channel, data1, data2); break;
    case 0xC0: fluid_synth_program_change(synth, channel, data1); break;
    case 0xD0: fluid_synth_channel_pressure(synth, channel, data1); break;
    case 0xE0: fluid_synth_pitch_bend(synth, channel, data1 | (data2 << 7)); break;
    default:
        if (status == 0xFF)
            fluid_synth_system_reset(synth);
        break;
    }
}

void SoftSynth::longMessage(std::span<const std::uint8_t> bytes)
{
    std::uint8_t runningStatus = 0;
    std::size_t i = 0;
    while (i < bytes.size()) {
        const std::uint8_t byte = bytes[i];
        if (byte == 0xF0) {
            const auto end = std::find(bytes.begin() + std::ptrdiff_t(i), bytes.end(), std::uint8_t(0xF7));
            // An unterminated message is cut off and could mean anything.
            if (end == bytes.end())
                return;
            const auto body = std::span<const std::uint8_t>(bytes.begin() + std::ptrdiff_t(i) + 1, end);
            if (isModuleReset(body))
                fluid_synth_system_reset(impl_->synth);
            else
                fluid_synth_sysex(impl_->synth, reinterpret_cast<const char*>(body.data()), int(body.size()), nullptr,
                                  nullptr, nullptr, 0);
            i = std::size_t(end - bytes.begin()) + 1;
            runningStatus = 0;
            continue;
        }
        std::uint8_t status = byte;
        if (byte < 0x80) {
            if (runningStatus == 0) {
                ++i;
                continue;
            }
            status = runningStatus;
        } else {
            ++i;
            if (byte < 0xF0)
                runningStatus = byte;
            else if (byte < 0xF8)
                runningStatus = 0;
        }
        const std::size_t length = shortMessageLength(status);
        if (length == 0)
            continue;
        std::array<std::uint8_t, 2> data{};
        std::size_t count = 0;
        while (count + 1 < length && i < bytes.size() && bytes[i] < 0x80)
            data[count++] = bytes[i++];
        if (count + 1 < length)
            continue;
        shortMessage(packShortMessage(status, data[0], data[1]));
    }
}

void SoftSynth::render(std::span<float> out)
{
    for (std::size_t done = 0; done + 1 < out.size(); done += 2 * kRenderChunk) {
        const int frames = int(std::min((out.size() - done) / 2, kRenderChunk));
        fluid_synth_write_float(impl_->synth, frames, out.data() + done, 0, 2, out.data() + done, 1, 2);
    }
}

void SoftSynth::render(std::span<std::int16_t> out)
{
    for (std::size_t done = 0; done + 1 < out.size(); done += 2 * kRenderChunk) {
        const int frames = int(std::min((out.size() - done) / 2, kRenderChunk));
        fluid_synth_write_s16(impl_->synth, frames, out.data() + done, 0, 2, out.data() + done, 1, 2);
    }
}

}  // namespace platform
