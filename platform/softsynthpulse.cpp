#include "platform/softsynthpulse.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <pthread.h>
#include <pulse/pulseaudio.h>
#include <sched.h>
#include <sys/prctl.h>

namespace platform {

namespace {

constexpr std::size_t kFrameBytes = 2 * sizeof(float);
// The whole latency asked for (with PA_STREAM_ADJUST_LATENCY the server
// splits it between the stream's buffer and the sink): 12 ms, which the
// synth's own period brings to under 15 ms, and which a server on a busy
// two-core machine keeps filled when the client thread runs at real-time
// priority, or wakes within a few milliseconds without it.
constexpr double kStartLatencySeconds = 0.012;
// What one underrun adds, and where the growing stops.
constexpr double kGrowSeconds = 0.004;
constexpr double kMaxLatencySeconds = 0.100;
// Where audio drivers run their threads (FluidSynth's default).
constexpr int kAudioPriority = 60;

}  // namespace

struct PulseOutput::Impl {
    PulseOutput* owner = nullptr;
    pa_threaded_mainloop* loop = nullptr;
    pa_context* context = nullptr;
    pa_stream* stream = nullptr;
    Render render;
    int periodFrames = 0;
    double sampleRate = 0;
    std::vector<float> buffer;
    bool prioritySet = false;

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
            prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
            sched_param realtime{};
            realtime.sched_priority = kAudioPriority;
            pthread_setschedparam(pthread_self(), SCHED_FIFO, &realtime);  // refused without the right: no matter
        }
        // Whole periods, so that the synth's clock sees requests of one size;
        // the last may fill a little beyond what was asked.
        const std::size_t periodBytes = std::size_t(impl.periodFrames) * kFrameBytes;
        for (std::size_t written = 0; written < bytes; written += periodBytes) {
            impl.render(impl.buffer.data(), impl.periodFrames);
            pa_stream_write(stream, impl.buffer.data(), periodBytes, nullptr, 0, PA_SEEK_RELATIVE);
        }
        pa_usec_t latency = 0;
        int negative = 0;
        if (pa_stream_get_latency(stream, &latency, &negative) == 0)
            impl.owner->latencyMicros_.store(negative ? 0 : std::int64_t(latency));
    }

    static void onUnderflow(pa_stream* stream, void* data)
    {
        auto& impl = *static_cast<Impl*>(data);
        impl.owner->underruns_.fetch_add(1);
        const pa_buffer_attr* current = pa_stream_get_buffer_attr(stream);
        if (!current)
            return;
        pa_buffer_attr larger = *current;
        const std::uint32_t most = impl.bytesOf(kMaxLatencySeconds);
        if (larger.tlength >= most)
            return;
        larger.tlength = std::min(most, larger.tlength + impl.bytesOf(kGrowSeconds));
        larger.prebuf = std::uint32_t(-1);
        larger.maxlength = std::uint32_t(-1);
        if (pa_operation* op = pa_stream_set_buffer_attr(stream, &larger, nullptr, nullptr))
            pa_operation_unref(op);
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
        pa_buffer_attr attr{};
        attr.maxlength = std::uint32_t(-1);
        attr.tlength = bytesOf(kStartLatencySeconds);
        attr.prebuf = std::uint32_t(-1);
        attr.minreq = std::uint32_t(periodFrames) * std::uint32_t(kFrameBytes);
        attr.fragsize = std::uint32_t(-1);
        const auto flags = pa_stream_flags_t(PA_STREAM_ADJUST_LATENCY | PA_STREAM_INTERPOLATE_TIMING |
                                             PA_STREAM_AUTO_TIMING_UPDATE);
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

PulseOutput::~PulseOutput() = default;

std::unique_ptr<PulseOutput> PulseOutput::open(double sampleRate, int periodFrames, Render render)
{
    if (sampleRate <= 0 || periodFrames <= 0 || !render)
        return nullptr;
    auto impl = std::make_unique<Impl>();
    impl->render = std::move(render);
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
