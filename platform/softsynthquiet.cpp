#include "platform/softsynthquiet.h"

namespace platform {

namespace {

// -80 dBFS: below the noise floor of any listening room; the last of a
// reverb tail that is cut there cannot be heard.
constexpr float kInaudible = 1e-4f;
// How long the output must stay that quiet; long enough that a tail which
// dips and swells again is not cut.
constexpr double kQuietSeconds = 0.5;
// How long the synth sleeps before its output may pause: past a breath
// between phrases, well within the moment a window left open goes idle.
constexpr double kRestSeconds = 2.0;

}  // namespace

QuietGate::QuietGate(double sampleRate)
    : framesToSleep_(std::int64_t(sampleRate * kQuietSeconds)), framesToRest_(std::int64_t(sampleRate * kRestSeconds))
{}

void QuietGate::wake()
{
    asleep_ = false;
    quietFrames_ = 0;
    asleepFrames_ = 0;
}

void QuietGate::rendered(int frames, float peak, int activeVoices)
{
    sounding_ = activeVoices > 0 || peak >= kInaudible;
    if (sounding_) {
        quietFrames_ = 0;
        return;
    }
    quietFrames_ += frames;
    if (quietFrames_ >= framesToSleep_)
        asleep_ = true;
}

}  // namespace platform
