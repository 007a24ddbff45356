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
// How soon a server that went away is tried again, and how long an attempt
// may take before it is given up.
constexpr pa_usec_t kRetryMicros = 500'000;
constexpr pa_usec_t kConnectTimeoutMicros = 5'000'000;

}  // namespace

struct PulseOutput::Impl {
    PulseOutput* owner = nullptr;
    pa_threaded_mainloop* loop = nullptr;
    pa_context* context = nullptr;
    pa_stream* stream = nullptr;
    // Tries again after a failed connection, or gives up on one that hangs.
    pa_time_event* retry = nullptr;
    Source source;
    // The stream was paused and plays again: the source hears of it before
    // the next render.
    bool resuming = false;
    // The stream is the first on a server that came back: the source hears
    // of it before the first render.
    bool restarting = false;
    int periodFrames = 0;
    double sampleRate = 0;
    std::vector<float> buffer;
    bool prioritySet = false;
    // The stream's buffer asked for, in bytes; it outlives the streams, as
    // the machine's load outlives a restart of its server.
    std::optional<BufferGrowth> growth;
    // start() was called: a new stream plays at once.
    bool started = false;
    // A failed connection is tried again: always once one has played, or
    // when waiting for a server from the start.
    bool keepTrying = false;
    enum class Link { Connecting, Ready, Failed } link = Link::Connecting;

    ~Impl()
    {
        if (loop) {
            pa_threaded_mainloop_lock(loop);
            if (retry) {
                pa_threaded_mainloop_get_api(loop)->time_free(retry);
                retry = nullptr;
            }
            dropConnection();
            pa_threaded_mainloop_unlock(loop);
            pa_threaded_mainloop_stop(loop);
            pa_threaded_mainloop_free(loop);
        }
    }

    std::uint32_t bytesOf(double seconds) const
    {
        return std::uint32_t(std::lround(seconds * sampleRate)) * std::uint32_t(kFrameBytes);
    }

    // With the loop locked (or on its thread).
    void dropConnection()
    {
        if (stream) {
            pa_stream_set_state_callback(stream, nullptr, nullptr);
            pa_stream_set_write_callback(stream, nullptr, nullptr);
            pa_stream_set_underflow_callback(stream, nullptr, nullptr);
            pa_stream_disconnect(stream);
            pa_stream_unref(stream);
            stream = nullptr;
        }
        if (context) {
            pa_context_set_state_callback(context, nullptr, nullptr);
            pa_context_disconnect(context);
            pa_context_unref(context);
            context = nullptr;
        }
    }

    void retryIn(pa_usec_t micros)
    {
        pa_mainloop_api* api = pa_threaded_mainloop_get_api(loop);
        timeval when{};
        pa_timeval_add(pa_gettimeofday(&when), micros);
        if (retry)
            api->time_restart(retry, &when);
        else
            retry = api->time_new(api, &when, &onRetry, this);
    }

    static void onRetry(pa_mainloop_api*, pa_time_event*, const timeval*, void* data)
    {
        auto& impl = *static_cast<Impl*>(data);
        if (impl.link == Link::Ready)
            return;
        impl.dropConnection();
        if (impl.keepTrying) {
            impl.beginConnect();
            return;
        }
        impl.link = Link::Failed;
        pa_threaded_mainloop_signal(impl.loop, 0);
    }

    // Starts a connection; the state callbacks carry it on, and nothing waits for it.
    void beginConnect()
    {
        link = Link::Connecting;
        // A server that accepts and then never answers is given up on.
        retryIn(kConnectTimeoutMicros);
        context = pa_context_new(pa_threaded_mainloop_get_api(loop), "Orvelline");
        if (!context) {
            failed();
            return;
        }
        pa_context_set_state_callback(context, &onContextState, this);
        if (pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
            failed();
    }

    // The connection failed or broke: said once for each stream that played,
    // then tried again while the output is kept.
    void failed()
    {
        if (link == Link::Ready) {
            owner->connected_.store(false);
            owner->paused_.store(false);
            restarting = true;
            if (source.lost)
                source.lost();
        }
        link = Link::Failed;
        if (stream)
            pa_stream_set_write_callback(stream, nullptr, nullptr);
        pa_threaded_mainloop_signal(loop, 0);
        if (keepTrying)
            retryIn(kRetryMicros);
    }

    static void onContextState(pa_context* context, void* data)
    {
        auto& impl = *static_cast<Impl*>(data);
        const pa_context_state_t state = pa_context_get_state(context);
        if (state == PA_CONTEXT_READY)
            impl.openStream();
        else if (!PA_CONTEXT_IS_GOOD(state))
            impl.failed();
    }

    void openStream()
    {
        pa_sample_spec spec{};
        spec.format = PA_SAMPLE_FLOAT32NE;
        spec.rate = std::uint32_t(sampleRate);
        spec.channels = 2;
        stream = pa_stream_new(context, "Orvelline synth", &spec, nullptr);
        if (!stream) {
            failed();
            return;
        }
        pa_stream_set_state_callback(stream, &onStreamState, this);
        pa_stream_set_write_callback(stream, &onWrite, this);
        pa_stream_set_underflow_callback(stream, &onUnderflow, this);
        const pa_buffer_attr attr = attributes();
        const auto flags = pa_stream_flags_t(PA_STREAM_EARLY_REQUESTS | PA_STREAM_INTERPOLATE_TIMING |
                                             PA_STREAM_AUTO_TIMING_UPDATE | PA_STREAM_START_CORKED);
        if (pa_stream_connect_playback(stream, nullptr, &attr, flags, nullptr, nullptr) < 0)
            failed();
    }

    static void onStreamState(pa_stream* stream, void* data)
    {
        auto& impl = *static_cast<Impl*>(data);
        const pa_stream_state_t state = pa_stream_get_state(stream);
        if (state == PA_STREAM_READY) {
            impl.link = Link::Ready;
            if (impl.retry)
                pa_threaded_mainloop_get_api(impl.loop)->time_restart(impl.retry, nullptr);
            impl.keepTrying = true;
            impl.owner->connected_.store(true);
            if (impl.started)
                impl.cork(0);
            pa_threaded_mainloop_signal(impl.loop, 0);
        } else if (!PA_STREAM_IS_GOOD(state)) {
            impl.failed();
        }
    }

    void cork(int corked)
    {
        if (pa_operation* op = pa_stream_cork(stream, corked, nullptr, nullptr))
            pa_operation_unref(op);
    }

    static void onWrite(pa_stream* stream, std::size_t bytes, void* data)
    {
        auto& impl = *static_cast<Impl*>(data);
        if (!impl.prioritySet) {
            impl.prioritySet = true;
            makeAudioThread();
        }
        if (impl.restarting) {
            impl.restarting = false;
            impl.resuming = false;
            if (impl.source.restarted)
                impl.source.restarted();
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
        impl.shrinkIfCalm();
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
        cork(1);
    }

    void resize()
    {
        const pa_buffer_attr attr = attributes();
        if (pa_operation* op = pa_stream_set_buffer_attr(stream, &attr, nullptr, nullptr))
            pa_operation_unref(op);
    }

    void shrinkIfCalm()
    {
        const bool songPlaying = source.songPlaying && source.songPlaying();
        if (growth->calm(nowMicros(), songPlaying))
            resize();
    }

    static void onUnderflow(pa_stream*, void* data)
    {
        auto& impl = *static_cast<Impl*>(data);
        impl.owner->underruns_.fetch_add(1);
        if (impl.growth->underrun(nowMicros()))
            impl.resize();
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
};

PulseOutput::PulseOutput(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

void PulseOutput::start()
{
    pa_threaded_mainloop_lock(impl_->loop);
    impl_->started = true;
    if (impl_->link == Impl::Link::Ready)
        impl_->cork(0);
    pa_threaded_mainloop_unlock(impl_->loop);
}

void PulseOutput::wake()
{
    if (!paused_.load())
        return;
    pa_threaded_mainloop_lock(impl_->loop);
    if (impl_->link == Impl::Link::Ready && paused_.exchange(false)) {
        impl_->resuming = true;
        impl_->cork(0);
    }
    pa_threaded_mainloop_unlock(impl_->loop);
}

PulseOutput::~PulseOutput() = default;

std::unique_ptr<PulseOutput> PulseOutput::connect(double sampleRate, int periodFrames, Source source, bool wait)
{
    if (sampleRate <= 0 || periodFrames <= 0 || !source.render)
        return nullptr;
    auto impl = std::make_unique<Impl>();
    impl->source = std::move(source);
    impl->periodFrames = periodFrames;
    impl->sampleRate = sampleRate;
    impl->buffer.resize(2 * std::size_t(periodFrames));
    impl->growth.emplace(impl->bytesOf(kStartLatencySeconds), impl->bytesOf(kGrowSeconds),
                         impl->bytesOf(kMaxLatencySeconds));
    impl->keepTrying = wait;
    impl->restarting = wait;
    impl->loop = pa_threaded_mainloop_new();
    if (!impl->loop)
        return nullptr;
    Impl* raw = impl.get();
    std::unique_ptr<PulseOutput> output(new PulseOutput(std::move(impl)));
    raw->owner = output.get();
    if (pa_threaded_mainloop_start(raw->loop) < 0)
        return nullptr;
    pa_threaded_mainloop_lock(raw->loop);
    raw->beginConnect();
    // The first attempt is waited for, so that the synth may try another
    // output at once when no server answers.
    while (!wait && raw->link == Impl::Link::Connecting)
        pa_threaded_mainloop_wait(raw->loop);
    const bool usable = wait || raw->link == Impl::Link::Ready;
    pa_threaded_mainloop_unlock(raw->loop);
    return usable ? std::move(output) : nullptr;
}

std::unique_ptr<PulseOutput> PulseOutput::open(double sampleRate, int periodFrames, Source source)
{
    return connect(sampleRate, periodFrames, std::move(source), false);
}

std::unique_ptr<PulseOutput> PulseOutput::awaitServer(double sampleRate, int periodFrames, Source source)
{
    return connect(sampleRate, periodFrames, std::move(source), true);
}

}  // namespace platform
