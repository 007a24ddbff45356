#include "platform/clock.h"

#include <thread>

namespace platform {

namespace {

std::int64_t steadyMillis()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

std::uint32_t timeGetTime() noexcept
{
    return std::uint32_t(steadyMillis());
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
