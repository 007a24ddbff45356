#include "platform/clock.h"

#include <atomic>
#include <thread>

namespace platform {

namespace {

constinit std::atomic<std::int64_t> clockOffsetMs{0};

std::int64_t steadyMillis()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

std::uint32_t timeGetTime() noexcept
{
    return std::uint32_t(steadyMillis() + clockOffsetMs.load(std::memory_order_relaxed));
}

void setMillisecondClock(std::uint32_t valueNow) noexcept
{
    clockOffsetMs.store(std::int64_t(valueNow) - steadyMillis(), std::memory_order_relaxed);
}

void Sleep(std::uint32_t milliseconds) noexcept
{
    if (milliseconds == 0)
        std::this_thread::yield();
    else
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

std::int64_t nowMicros() noexcept
{
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace platform
