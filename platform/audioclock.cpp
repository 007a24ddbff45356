#include "platform/audioclock.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace platform {

namespace {

// The loop's bandwidth: it settles within about a second and passes on
// little of the jitter of single requests.
constexpr double kBandwidthHz = 1.0;
// A request further from the prediction than this many times the usual
// deviation, and at least a millisecond, is a stall (of the driver, or of the
// whole machine) rather than jitter: it does not move the loop.
constexpr double kOutlierDeviations = 8;
constexpr double kMinOutlierMicros = 1000;
// How many periods the usual deviation averages over.
constexpr double kDeviationPeriods = 64;
// Requests that stay that far off for this long mean the stream itself moved
// (an underrun, a restart of the sound server): the clock starts over there.
constexpr double kRestartMicros = 100000;

}  // namespace

AudioClock::AudioClock(double nominalRate) : nominalRate_(nominalRate > 0 ? nominalRate : 48000) {}

void AudioClock::restart(double now, int frames)
{
    // The rate learned so far carries over.
    const double microsPerFrame = frames_ > 0 ? estimate_ / frames_ : 1e6 / nominalRate_;
    frames_ = frames;
    estimate_ = microsPerFrame * frames;
    start_ = now;
    next_ = now + estimate_;
    const double omega = 2 * std::numbers::pi * kBandwidthHz * estimate_ / 1e6;
    gain1_ = std::numbers::sqrt2 * omega;
    gain2_ = omega * omega;
    outliers_ = 0;
    // Unknown at first: a whole period, so that the loop can settle.
    deviation_ = estimate_;
}

void AudioClock::startPeriod(std::int64_t requestMicros, int frames)
{
    const double now = double(requestMicros);
    if (frames <= 0)
        return;
    if (frames != frames_ || resync_) {
        resync_ = false;
        restart(now, frames);
        return;
    }
    const double error = now - next_;
    start_ = next_;
    if (std::fabs(error) > std::max(kMinOutlierMicros, kOutlierDeviations * deviation_)) {
        if (++outliers_ * estimate_ > kRestartMicros)
            restart(now, frames);
        else
            next_ += estimate_;
        return;
    }
    outliers_ = 0;
    deviation_ += (std::fabs(error) - deviation_) / kDeviationPeriods;
    next_ += gain1_ * error + estimate_;
    estimate_ += gain2_ * error;
}

double AudioClock::instantOf(double frame) const
{
    return frames_ > 0 ? start_ + frame * (next_ - start_) / frames_ : start_;
}

}  // namespace platform
