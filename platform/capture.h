#pragma once
// The capture backend, for tests: devices that record every message they
// get, with a microsecond time stamp, instead of sounding. A test installs
// it, which makes it the only backend (so the default route leads to its
// first device), drives the code under test, and reads the log back. It can
// also make opens, closes and long messages fail, for the error paths.
#include "platform/backend.h"
#include "platform/outputoptions.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

namespace platform {

struct CapturedMessage {
    std::int64_t micros = 0;  // nowMicros() when the message reached the device
    int device = 0;           // which capture device, from 0
    bool isLong = false;
    std::uint32_t packed = 0;         // the short message as sent; 0 for a long one
    std::vector<std::uint8_t> bytes;  // the wire bytes
};

class CaptureLog {
public:
    std::vector<CapturedMessage> messages() const;
    std::size_t size() const;
    // Waits until at least count messages are in; false if the timeout passed first.
    bool waitForSize(std::size_t count, std::chrono::milliseconds timeout) const;
    void clear();

    // Successful opens and closes so far.
    int opens() const;
    int closes() const;

    // The status that opens, closes and long messages return from now on;
    // anything but MmOk makes them fail without effect.
    void setOpenResult(MmResult status);
    void setCloseResult(MmResult status);
    void setLongMessageResult(MmResult status);

    int deviceCount() const;
    // Empties the log, the counters and the failures, and sets the number of devices listed.
    void reset(int deviceCount);

    // For the capture devices.
    MmResult noteOpen();
    MmResult noteClose();
    MmResult record(CapturedMessage message);

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable grown_;
    std::deque<CapturedMessage> messages_;  // no reallocation pauses while a benchmark records
    int deviceCount_ = 1;
    int opens_ = 0;
    int closes_ = 0;
    MmResult openResult_ = MmOk;
    MmResult closeResult_ = MmOk;
    MmResult longResult_ = MmOk;
};

CaptureLog& captureLog();

// Resets the log with that many devices (named "Capture 1", "Capture 2", ...)
// and makes capture the only backend.
CaptureLog& installCaptureBackend(int deviceCount = 1);
// Back to the program's backends.
void removeCaptureBackend();

}  // namespace platform
