#include "platform/softsynthpulse.h"

#include "platform/audiothread.h"
#include "platform/buffergrowth.h"
#include "platform/clock.h"

#include <cmath>
#include <optional>
#include <vector>

#include <pulse/pulseaudio.h>

namespace platform {

namespace {

constexpr std::size_t kFrameBytes = 2 * sizeof(float);
// The stream's buffer. With early requests the server asks for audio each
// time the sink has played one period, and gives the sink a latency of one
// period (1.3 ms at 64 frames): the rest of the latency is the stream's
// buffer, and all of it but one period covers a stall of the server's
// threads or ours (a processor taken from the machine for a while, a busy
// desktop). Splitting the latency between sink and stream instead, the
// server's way with an adjusted latency, covers only a third as long a
// stall at the same latency. Buffer and sink make 18.3 ms; with the synth's
// own wait of one period for a live message, 19.7 ms from a message to its
// sound.
constexpr double kStartLatencySeconds = 0.017;
// What a recurring underrun adds (platform/buffergrowth.h), and where the
// growing stops.
constexpr double kGrowSeconds = 0.004;
constexpr double kMaxLatencySeconds = 0.100;

}  // namespace

struct PulseOutput::Impl {
    PulseOutput* owner = nullptr;
    pa_threaded_mainloop* loop = nullptr;
    pa_context* context = nullptr;
    pa_stream* stream = nullptr;
    Source source;
    // The stream was paused and plays again: the source hears of it before
    // the next render.
    bool resuming = false;
    int periodFrames = 0;
    double sampleRate = 0;
    std::vector<float> buffer;
    bool prioritySet = false;
    // The stream's buffer asked for, in bytes.
    std::optional<BufferGrowth> growth;

    ~Impl()
    {
        if (loop) {
            pa_threaded_mainloop_lock(loop);
            if (stream) {
                pa_stream_set_write_callback(stream, nullptr, nullptr);
                pa_stream_set_underflow_callback(stream, nullptr, nullptr);
                pa_stream_disconnect(stream);
            }
            if (context)
                pa_context_disconnect(context);
            pa_threaded_mainloop_unlock(loop);
            pa_threaded_mainloop_stop(loop);
        }
        if (stream)
            pa_stream_unref(stream);
        if (context)
            pa_context_unref(context);
        if (loop)
            pa_threaded_mainloop_free(loop);
    }

    std::uint32_t bytesOf(double seconds) const
    {
        return std::uint32_t(std::lround(seconds * sampleRate)) * std::uint32_t(kFrameBytes);
    }

    static void onContextState(pa_context*, void* data)
    {
        pa_threaded_mainloop_signal(static_cast<Impl*>(data)->loop, 0);
    }

    static void onStreamState(pa_stream*, void* data)
    {
        pa_threaded_mainloop_signal(static_cast<Impl*>(data)->loop, 0);
    }

    static void onWrite(pa_stream* stream, std::size_t bytes, void* data)
    {
        auto& impl = *static_cast<Impl*>(data);
        if (!impl.prioritySet) {
            impl.prioritySet = true;
            makeAudioThread();
        }
        if (impl.resuming) {
            impl.resuming = false;
            if (impl.source.resumed)
                impl.source.resumed();
        }
        // Whole periods, so that the synth's clock sees requests of one size;
        // the last may fill a little beyond what was asked.
        const std::size_t periodBytes = std::size_t(impl.periodFrames) * kFrameBytes;
        for (std::size_t written = 0; written < bytes; written += periodBytes) {
            impl.source.render(impl.buffer.data(), impl.periodFrames);
            pa_stream_write(stream, impl.buffer.data(), periodBytes, nullptr, 0, PA_SEEK_RELATIVE);
        }
        impl.pauseIfResting();
        pa_usec_t latency = 0;
        int negative = 0;
        if (pa_stream_get_latency(stream, &latency, &negative) == 0)
            impl.owner->latencyMicros_.store(negative ? 0 : std::int64_t(latency));
    }

    // Corks the stream, its buffer still full, while the source rests: the
    // server asks for nothing until wake() uncorks it, and the next message
    // then sounds behind that buffer, at the usual latency. The flag goes up
    // before the second question, so that a message sent meanwhile is either
    // seen by it or sees the flag and wakes the stream.
    void pauseIfResting()
    {
        if (!source.mayPause || !source.mayPause())
            return;
        owner->paused_.store(true);
        if (!source.mayPause()) {
            owner->paused_.store(false);
            return;
        }
        if (pa_operation* op = pa_stream_cork(stream, 1, nullptr, nullptr))
            pa_operation_unref(op);
    }

    static void onUnderflow(pa_stream* stream, void* data)
    {
        auto& impl = *static_cast<Impl*>(data);
        impl.owner->underruns_.fetch_add(1);
        if (!impl.growth->underrun(nowMicros()))
            return;
        pa_buffer_attr larger = impl.attributes();
        if (pa_operation* op = pa_stream_set_buffer_attr(stream, &larger, nullptr, nullptr))
            pa_operation_unref(op);
    }

    pa_buffer_attr attributes() const
    {
        pa_buffer_attr attr{};
        attr.maxlength = std::uint32_t(-1);
        attr.tlength = growth->bytes();
        // No prebuffering: after an underrun the server plays on and drops
        // what arrives late instead of waiting for a full buffer again. A
        // wait would put silence into the stream and move every later note
        // against the ones before it; a drop costs a few milliseconds of
        // sound and keeps the song in time. The stream starts corked, and
        // start() uncorks it.
        attr.prebuf = 0;
        attr.minreq = std::uint32_t(periodFrames) * std::uint32_t(kFrameBytes);
        attr.fragsize = std::uint32_t(-1);
        return attr;
    }

    // Waits, with the loop locked, until the context or the stream settles.
    bool connect()
    {
        pa_mainloop_api* api = pa_threaded_mainloop_get_api(loop);
        context = pa_context_new(api, "Orvelline");
        if (!context)
            return false;
        pa_context_set_state_callback(context, &onContextState, this);
        if (pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
            return false;
        for (;;) {
            const pa_context_state_t state = pa_context_get_state(context);
            if (state == PA_CONTEXT_READY)
                break;
            if (!PA_CONTEXT_IS_GOOD(state))
                return false;
            pa_threaded_mainloop_wait(loop);
        }
        pa_sample_spec spec{};
        spec.format = PA_SAMPLE_FLOAT32NE;
        spec.rate = std::uint32_t(sampleRate);
        spec.channels = 2;
        stream = pa_stream_new(context, "Orvelline synth", &spec, nullptr);
        if (!stream)
            return false;
        pa_stream_set_state_callback(stream, &onStreamState, this);
        pa_stream_set_write_callback(stream, &onWrite, this);
        pa_stream_set_underflow_callback(stream, &onUnderflow, this);
        growth.emplace(bytesOf(kStartLatencySeconds), bytesOf(kGrowSeconds), bytesOf(kMaxLatencySeconds));
        const pa_buffer_attr attr = attributes();
        const auto flags = pa_stream_flags_t(PA_STREAM_EARLY_REQUESTS | PA_STREAM_INTERPOLATE_TIMING |
                                             PA_STREAM_AUTO_TIMING_UPDATE | PA_STREAM_START_CORKED);
        if (pa_stream_connect_playback(stream, nullptr, &attr, flags, nullptr, nullptr) < 0)
            return false;
        for (;;) {
            const pa_stream_state_t state = pa_stream_get_state(stream);
            if (state == PA_STREAM_READY)
                return true;
            if (!PA_STREAM_IS_GOOD(state))
                return false;
            pa_threaded_mainloop_wait(loop);
        }
    }
};

PulseOutput::PulseOutput(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

void PulseOutput::start()
{
    pa_threaded_mainloop_lock(impl_->loop);
    if (pa_operation* op = pa_stream_cork(impl_->stream, 0, nullptr, nullptr))
        pa_operation_unref(op);
    pa_threaded_mainloop_unlock(impl_->loop);
}

void PulseOutput::wake()
{
    if (!paused_.load())
        return;
    pa_threaded_mainloop_lock(impl_->loop);
    if (paused_.exchange(false)) {
        impl_->resuming = true;
        if (pa_operation* op = pa_stream_cork(impl_->stream, 0, nullptr, nullptr))
            pa_operation_unref(op);
    }
    pa_threaded_mainloop_unlock(impl_->loop);
}

PulseOutput::~PulseOutput() = default;

std::unique_ptr<PulseOutput> PulseOutput::open(double sampleRate, int periodFrames, Source source)
{
    if (sampleRate <= 0 || periodFrames <= 0 || !source.render)
        return nullptr;
    auto impl = std::make_unique<Impl>();
    impl->source = std::move(source);
    impl->periodFrames = periodFrames;
    impl->sampleRate = sampleRate;
    impl->buffer.resize(2 * std::size_t(periodFrames));
    impl->loop = pa_threaded_mainloop_new();
    if (!impl->loop)
        return nullptr;
    Impl* raw = impl.get();
    std::unique_ptr<PulseOutput> output(new PulseOutput(std::move(impl)));
    raw->owner = output.get();
    if (pa_threaded_mainloop_start(raw->loop) < 0)
        return nullptr;
    pa_threaded_mainloop_lock(raw->loop);
    const bool connected = raw->connect();
    pa_threaded_mainloop_unlock(raw->loop);
    if (!connected)
        return nullptr;
    return output;
}

}  // namespace platform
