#pragma once
// The millisecond clock, pauses, and the microsecond time base that timer
// deadlines and capture time stamps share. All read the steady clock, so
// none of them jumps when the wall clock is set.
#include <chrono>
#include <cstdint>

namespace platform {

// Milliseconds since an arbitrary start, wrapping like a 32-bit counter: the
// unsigned difference of two readings is the time between them, across a wrap too.
std::uint32_t timeGetTime() noexcept;

// Suspends the calling thread; 0 gives up the rest of its time slice.
void Sleep(std::uint32_t milliseconds) noexcept;

// Microseconds on the steady clock; the time stamps of the capture backend.
std::int64_t nowMicros() noexcept;

// The steady-clock instant of a nowMicros reading, for timeSetEventAt.
inline std::chrono::steady_clock::time_point instantOfMicros(std::int64_t micros)
{
    return std::chrono::steady_clock::time_point(std::chrono::microseconds(micros));
}

}  // namespace platform
