#pragma once
// Decides when the built-in synth may stop computing: once no voice has
// sounded and its output (reverb and chorus tails included) has stayed below
// an inaudible level for a while, the audio thread writes silence instead of
// running the voices and effects, so an idle program costs next to nothing.
// Any message wakes it for the very next block. After a longer sleep the
// output itself may pause, so that not even silence is written.
#include <cstdint>

namespace platform {

class QuietGate {
public:
    explicit QuietGate(double sampleRate);

    // True while the synth need not be rendered. A new gate is asleep: a
    // synth that has played nothing is silent.
    bool asleep() const { return asleep_; }
    // True once the synth has slept long enough that its output may pause.
    bool restful() const { return asleep_ && asleepFrames_ >= framesToRest_; }
    // True when the last block rendered held a voice or an audible sample.
    bool sounding() const { return sounding_; }
    // A message reached the synth.
    void wake();
    // Silence was written for the sleeping synth.
    void slept(int frames)
    {
        asleepFrames_ += frames;
        sounding_ = false;
    }
    // A block was rendered: its frames, the largest absolute sample in it
    // and the voices still active after it.
    void rendered(int frames, float peak, int activeVoices);

private:
    std::int64_t framesToSleep_;
    std::int64_t framesToRest_;
    std::int64_t quietFrames_ = 0;
    std::int64_t asleepFrames_ = 0;
    bool asleep_ = true;
    bool sounding_ = false;
};

}  // namespace platform
