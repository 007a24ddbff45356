#pragma once
// One-shot timers in the shape the song player is written against: a delay,
// a callback and a user value, an identifier to kill the timer with. One
// timer thread runs every callback, in deadline order (equal deadlines in the
// order they were set), at the deadline on the steady clock with a precision
// well below a millisecond; a callback that runs late delays the ones after it.
//
// Killing is safe from any thread. A callback that is running when its timer
// is killed finishes first, so nothing of a timer runs after timeKillEvent
// returns; killed from inside its own callback, it returns at once. A callback
// must therefore never wait for a thread that may be killing a timer.
#include "platform/status.h"

#include <chrono>
#include <cstdint>

namespace platform {

using TimerProc = void (*)(std::uint32_t timerId, std::uintptr_t user);

struct TimeCaps {
    std::uint32_t periodMin = 0;  // milliseconds
    std::uint32_t periodMax = 0;
};

// Reports the shortest and longest delay a timer accepts: 1 and 1000000 ms.
MmResult timeGetDevCaps(TimeCaps& caps) noexcept;
// Accepts any period within the caps. The timers are always as precise as
// they can be, so the period changes nothing.
MmResult timeBeginPeriod(std::uint32_t periodMs) noexcept;
MmResult timeEndPeriod(std::uint32_t periodMs) noexcept;

// Arms a one-shot timer that calls proc(id, user) on the timer thread after
// delayMs. The resolution is accepted and ignored. Returns the timer's
// identifier, never 0, or 0 when the delay lies outside the caps or proc is null.
std::uint32_t timeSetEvent(std::uint32_t delayMs, std::uint32_t resolutionMs, TimerProc proc,
                           std::uintptr_t user) noexcept;
// The same at an instant of the steady clock, so that a player can aim every
// event at its exact time from the start of the song. An instant already
// past fires at once; one further ahead than the longest delay gives 0.
std::uint32_t timeSetEventAt(std::chrono::steady_clock::time_point deadline, TimerProc proc,
                             std::uintptr_t user) noexcept;
// MmOk when the timer was pending or running; TimerNoCanDo when it had
// already fired or never existed.
MmResult timeKillEvent(std::uint32_t timerId) noexcept;

}  // namespace platform
