#include "wakeprobe.h"

#include <pthread.h>
#include <sched.h>
#include <sys/prctl.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <string>

#include "platform/clock.h"

namespace {

// Just below the timer thread's priority (platform/timer.cpp), so that a
// probe never holds it up; a probe on the timer thread's processor waits out
// its spin before a deadline, which stays under kStallMicros.
constexpr int kProbePriority = 9;
constexpr std::int64_t kStallMicros = 500;

// The "steal" column of the processors' total in /proc/stat, in milliseconds.
double stealMillis()
{
    std::ifstream stat("/proc/stat");
    std::string cpu;
    long long fields[8] = {};
    if (!(stat >> cpu) || cpu != "cpu")
        return -1;
    for (long long& field : fields)
        if (!(stat >> field))
            return -1;
    return double(fields[7]) * 1000.0 / double(sysconf(_SC_CLK_TCK));
}

}  // namespace

WakeProbe::WakeProbe() : stealAtStart_(stealMillis())
{
    const long processors = std::max(1L, sysconf(_SC_NPROCESSORS_ONLN));
    for (int p = 0; p < processors; ++p) {
        lanes_.push_back(std::make_unique<Lane>());
        Lane& lane = *lanes_.back();
        lane.thread = std::thread([this, &lane, p] { run(lane, p); });
    }
}

WakeProbe::~WakeProbe()
{
    stop();
}

void WakeProbe::stop()
{
    if (!running_.exchange(false))
        return;
    for (auto& lane : lanes_)
        lane->thread.join();
    const double steal = stealMillis();
    if (steal >= 0 && stealAtStart_ >= 0)
        stolenMillis_ = steal - stealAtStart_;
}

void WakeProbe::run(Lane& lane, int processor)
{
    cpu_set_t only;
    CPU_ZERO(&only);
    CPU_SET(processor, &only);
    pthread_setaffinity_np(pthread_self(), sizeof only, &only);
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    sched_param realtime{};
    realtime.sched_priority = kProbePriority;
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &realtime);
    lane.lateness.reserve(std::size_t(1) << 20);
    // nowMicros reads CLOCK_MONOTONIC, as std::chrono::steady_clock does.
    std::int64_t due = platform::nowMicros();
    while (running_.load()) {
        due += 1000;
        const timespec at{time_t(due / 1000000), long(due % 1000000) * 1000};
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) != 0) {
        }
        const std::int64_t woken = platform::nowMicros();
        lane.lateness.push_back(double(woken - due));
        if (woken - due > kStallMicros)
            lane.stalls.push_back({due, woken});
        // After a stall, sleep on from now rather than catch up.
        due = std::max(due, woken - 1000);
    }
}

std::vector<double> WakeProbe::lateness() const
{
    std::vector<double> all;
    for (const auto& lane : lanes_)
        all.insert(all.end(), lane->lateness.begin(), lane->lateness.end());
    return all;
}

bool WakeProbe::stalledDuring(std::int64_t fromMicros, std::int64_t toMicros) const
{
    for (const auto& lane : lanes_)
        for (const Stall& s : lane->stalls)
            if (s.dueMicros <= toMicros && s.wokenMicros >= fromMicros)
                return true;
    return false;
}
