#pragma once
// When each frame of an audio stream is due, on the steady clock; the card
// plays it a constant buffer's length later. An audio driver asks for a
// period of audio at a time, at moments that jitter (a sound server may even
// ask for several periods at once), while the card plays the frames at its
// own steady rate. The clock follows the requests with a delay-locked loop,
// which smooths out their jitter and learns the card's true rate, so that the
// frames of every period map to a steady span of time.
#include <cstdint>

namespace platform {

class AudioClock {
public:
    // nominalRate: frames per second as the driver was opened.
    explicit AudioClock(double nominalRate);

    // A period of `frames` frames is asked for at requestMicros (platform::nowMicros).
    void startPeriod(std::int64_t requestMicros, int frames);

    // The instant, in microseconds, that belongs to the frame at offset
    // `frame` of the current period; offsets outside the period extrapolate.
    double instantOf(double frame) const;
    // The stream paused and plays again: the next request starts the line
    // afresh, keeping the rate learned so far.
    void resync() { resync_ = true; }
    // The length of the current period in microseconds.
    double periodMicros() const { return next_ - start_; }

private:
    void restart(double now, int frames);

    double nominalRate_;
    int frames_ = 0;  // 0 until the first period
    double start_ = 0;
    double next_ = 0;      // predicted start of the next period
    double estimate_ = 0;  // filtered length of a period
    double gain1_ = 0;
    double gain2_ = 0;
    double deviation_ = 0;  // the usual distance of a request from the prediction
    int outliers_ = 0;      // requests in a row too far from it
    bool resync_ = false;
};

}  // namespace platform
