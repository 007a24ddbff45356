#include "platform/fileaudio.h"

#include "platform/audiothread.h"
#include "platform/clock.h"
#include "platform/softsynthimpl.h"

#include <chrono>
#include <cmath>

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

}  // namespace

std::unique_ptr<FileAudio> FileAudio::start(SoftSynth& synth, SoftSynthFeed& feed, int periodFrames,
                                            const std::filesystem::path& file, std::function<bool()> synthReady)
{
    if (periodFrames <= 0 || periodFrames % SoftSynthFeed::kBlockFrames != 0)
        return nullptr;
    SoftSynth::Impl& impl = synth.impl();
    // The renderer writes one block per call, so the feed decides what each block hears.
    fluid_settings_setint(impl.settings, "audio.period-size", SoftSynthFeed::kBlockFrames);
    fluid_settings_setstr(impl.settings, "audio.file.name", file.c_str());
    fluid_file_renderer_t* renderer = new_fluid_file_renderer(impl.synth);
    if (!renderer)
        return nullptr;
    std::unique_ptr<FileAudio> audio(
        new FileAudio(feed, renderer, synth.sampleRate(), periodFrames, std::move(synthReady)));
    audio->thread_ = std::thread([raw = audio.get()] { raw->run(); });
    return audio;
}

FileAudio::FileAudio(SoftSynthFeed& feed, fluid_file_renderer_t* renderer, double sampleRate, int periodFrames,
                     std::function<bool()> synthReady)
    : feed_(feed),
      renderer_(renderer),
      sampleRate_(sampleRate),
      periodFrames_(periodFrames),
      synthReady_(std::move(synthReady))
{}

FileAudio::~FileAudio()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable())
        thread_.join();
    delete_fluid_file_renderer(renderer_);
}

void FileAudio::run()
{
    makeAudioThread();

    // Each period is asked for when the one before it is due to have played;
    // one that comes late is followed at once by the next, as if the card's
    // buffer never ran dry, so the file keeps the wall clock's time.
    const Clock::time_point origin = Clock::now();
    const auto instantOfFrame = [&](std::int64_t frame) {
        return origin + std::chrono::nanoseconds(std::llround(double(frame) * 1e9 / sampleRate_));
    };
    std::int64_t frames = 0;
    std::unique_lock lock(mutex_);
    while (!wake_.wait_until(lock, instantOfFrame(frames), [this] { return stopping_; })) {
        lock.unlock();
        feed_.renderPeriod(periodFrames_, nowMicros(), *this, synthReady_());
        lock.lock();
        frames += periodFrames_;
    }
}

// The feed asks for whole blocks, one at a time, which is what the renderer writes per call.
float FileAudio::renderBlock(int, int)
{
    fluid_file_renderer_process_block(renderer_);
    // The renderer does not show its samples: as far as the feed knows, the
    // file never falls quiet, and it never has to.
    return 1.0f;
}

// A synth whose SoundFont is still loading cannot be rendered, and the
// renderer cannot write anything else: the file begins once the SoundFont is
// in. A synth that is merely quiet renders its silence; this stand-in for a
// card need not save that work.
void FileAudio::silenceBlock(int, int)
{
    if (synthReady_())
        fluid_file_renderer_process_block(renderer_);
}

}  // namespace platform
