#pragma once
// The built-in synth's own PulseAudio output (PipeWire desktops serve the
// same protocol). FluidSynth's driver asks the server for a buffer of one
// period, which no server on a busy machine keeps filled; this one asks for
// a buffer the server can hold, is asked for a short period at a time, and
// grows the buffer a step when underruns the server reports recur and
// shrinks it back after a calm stretch (platform/buffergrowth.h). While
// the synth rests (nothing has sounded for a while) the stream pauses, so
// that an idle program costs the machine nothing, and the next message plays
// it again at once. It renders on the client library's own thread, which
// asks for real-time priority where the system grants it. PULSE_SERVER and
// the usual client settings choose the server.
//
// When the server goes away (it was stopped, restarted, or crashed) the
// output says so to its source and tries again twice a second on its own
// thread, so that neither the window nor the audio waits for it; a new
// stream plays as the old one did, its source told before its first render.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

namespace platform {

class PulseOutput {
public:
    // What the stream plays, called on the stream's own thread.
    struct Source {
        // Fills `frames` frames of interleaved stereo float samples.
        std::function<void(float* out, int frames)> render;
        // Asked after each request: whether the stream may pause now. An
        // answer of true binds the source to call wake() for any message
        // sent after it.
        std::function<bool()> mayPause;
        // The stream plays again after a pause, before its next render.
        std::function<void()> resumed;
        // Whether a song plays, which keeps the buffer's size as it is.
        std::function<bool()> songPlaying;
        // The server went away (once for each time it goes).
        std::function<void()> lost;
        // A new stream, on a server that came back (or first came up),
        // asks for audio: before its first render.
        std::function<void()> restarted;
    };

    // Connects the stream at `sampleRate`, to be asked for audio a period of
    // `periodFrames` frames at a time once started; the sink holds one
    // period. Null when no server answers.
    static std::unique_ptr<PulseOutput> open(double sampleRate, int periodFrames, Source source);
    // The same for a server that is not there yet: the output waits for it
    // and connects once it answers.
    static std::unique_ptr<PulseOutput> awaitServer(double sampleRate, int periodFrames, Source source);
    // Starts the stream; until then it holds the sink's clock still rather
    // than underrun while the synth has nothing to play (its SoundFont loading).
    void start();
    // A message was sent: a paused stream plays again. From any thread but
    // the stream's own.
    void wake();
    // Stops the stream; no rendering happens once it returns.
    ~PulseOutput();
    PulseOutput(const PulseOutput&) = delete;
    PulseOutput& operator=(const PulseOutput&) = delete;

    // The stream's latency as the server last reported it: from a frame
    // written to its sound at the sink.
    std::int64_t latencyMicros() const { return latencyMicros_.load(); }
    // The underruns the servers have reported since the output opened.
    int underruns() const { return underruns_.load(); }
    // Whether a stream is connected to a server that answers.
    bool connected() const { return connected_.load(); }

    struct Impl;

private:
    explicit PulseOutput(std::unique_ptr<Impl> impl);
    static std::unique_ptr<PulseOutput> connect(double sampleRate, int periodFrames, Source source, bool wait);
    std::unique_ptr<Impl> impl_;
    std::atomic<std::int64_t> latencyMicros_{0};
    std::atomic<int> underruns_{0};
    std::atomic<bool> paused_{false};
    std::atomic<bool> connected_{false};
    friend struct Impl;
};

}  // namespace platform
