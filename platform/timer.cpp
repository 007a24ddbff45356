#include "platform/timer.h"

#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>
#include <unordered_map>

#include <pthread.h>
#include <sched.h>
#include <sys/prctl.h>

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::uint32_t kPeriodMin = 1;
constexpr std::uint32_t kPeriodMax = 1000000;
constexpr std::size_t kMaxPending = 65536;
// Low among real-time threads: audio servers and drivers run above it.
constexpr int kRealtimePriority = 10;

// A thread woken by the kernel arrives some tens of microseconds late, more on
// a busy machine; it wakes this much early and spins the rest of the way.
constexpr auto kSpin = std::chrono::microseconds(300);

void cpuRelax()
{
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
}

class TimerService {
public:
    ~TimerService()
    {
        gone_.store(true);
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
            queue_.clear();
            ids_.clear();
            changes_.fetch_add(1);
        }
        wake_.notify_all();
        if (thread_.joinable()) {
            if (thread_.get_id() == std::this_thread::get_id())
                thread_.detach();
            else
                thread_.join();
        }
    }

    static bool gone() { return gone_.load(); }

    std::uint32_t add(Clock::time_point deadline, TimerProc proc, std::uintptr_t user)
    {
        std::lock_guard lock(mutex_);
        if (stopping_ || ids_.size() >= kMaxPending)
            return 0;
        if (!thread_.joinable()) {
            thread_ = std::thread([this] { run(); });
            timerThread_ = thread_.get_id();
        }
        const std::uint32_t id = freeId();
        const Key key{deadline, nextSequence_++};
        queue_.emplace(key, Pending{proc, user, id});
        ids_.emplace(id, key);
        changes_.fetch_add(1);
        wake_.notify_one();
        return id;
    }

    MmResult kill(std::uint32_t id)
    {
        std::unique_lock lock(mutex_);
        if (const auto it = ids_.find(id); it != ids_.end()) {
            queue_.erase(it->second);
            ids_.erase(it);
            changes_.fetch_add(1);
            return MmOk;
        }
        if (id == 0 || running_ != id)
            return TimerNoCanDo;
        if (std::this_thread::get_id() != timerThread_)
            finished_.wait(lock, [&] { return running_ != id; });
        return MmOk;
    }

private:
    struct Key {
        Clock::time_point deadline;
        std::uint64_t sequence;  // keeps equal deadlines in the order they were set
        auto operator<=>(const Key&) const = default;
    };
    struct Pending {
        TimerProc proc;
        std::uintptr_t user;
        std::uint32_t id;
    };

    std::uint32_t freeId()
    {
        for (;;) {
            const std::uint32_t id = nextId_++;
            if (id != 0 && id != running_ && !ids_.contains(id))
                return id;
        }
    }

    void run()
    {
        // The default slack lets the kernel wake us up to 50 us late on purpose.
        prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
        // Where the system allows it (root, or an rtprio limit such as audio
        // groups get), a real-time priority keeps busy programs from delaying
        // the wake-up by a time slice; elsewhere the thread stays as it is.
        sched_param realtime{};
        realtime.sched_priority = kRealtimePriority;
        pthread_setschedparam(pthread_self(), SCHED_FIFO, &realtime);
        std::unique_lock lock(mutex_);
        while (!stopping_) {
            if (queue_.empty()) {
                wake_.wait(lock);
                continue;
            }
            const Clock::time_point deadline = queue_.begin()->first.deadline;
            const Clock::time_point now = Clock::now();
            if (now < deadline) {
                if (deadline - now > kSpin) {
                    wake_.wait_until(lock, deadline - kSpin);
                } else {
                    const std::uint64_t seen = changes_.load();
                    lock.unlock();
                    // No yield: on a busy machine it would hand the processor away for a whole time slice.
                    while (Clock::now() < deadline && changes_.load(std::memory_order_relaxed) == seen)
                        cpuRelax();
                    lock.lock();
                }
                continue;
            }
            auto node = queue_.extract(queue_.begin());
            const Pending due = node.mapped();
            ids_.erase(due.id);
            running_ = due.id;
            lock.unlock();
            try {
                due.proc(due.id, due.user);
            } catch (...) {
                // A throwing callback must not take the timer thread down with it.
            }
            lock.lock();
            running_ = 0;
            finished_.notify_all();
        }
    }

    static constinit inline std::atomic<bool> gone_{false};
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable finished_;
    std::map<Key, Pending> queue_;
    std::unordered_map<std::uint32_t, Key> ids_;
    std::uint32_t nextId_ = 1;
    std::uint64_t nextSequence_ = 0;
    std::uint32_t running_ = 0;
    std::thread::id timerThread_;
    bool stopping_ = false;
    // Counts additions and kills, so that a thread spinning towards a deadline
    // notices that the earliest timer may have changed.
    std::atomic<std::uint64_t> changes_{0};
    std::thread thread_;
};

TimerService& service()
{
    static TimerService instance;
    return instance;
}

}  // namespace

MmResult timeGetDevCaps(TimeCaps& caps) noexcept
{
    caps.periodMin = kPeriodMin;
    caps.periodMax = kPeriodMax;
    return MmOk;
}

MmResult timeBeginPeriod(std::uint32_t periodMs) noexcept
{
    return (periodMs >= kPeriodMin && periodMs <= kPeriodMax) ? MmOk : TimerNoCanDo;
}

MmResult timeEndPeriod(std::uint32_t periodMs) noexcept
{
    return timeBeginPeriod(periodMs);
}

std::uint32_t timeSetEvent(std::uint32_t delayMs, std::uint32_t, TimerProc proc, std::uintptr_t user) noexcept
{
    if (delayMs < kPeriodMin || delayMs > kPeriodMax)
        return 0;
    return timeSetEventAt(Clock::now() + std::chrono::milliseconds(delayMs), proc, user);
}

std::uint32_t timeSetEventAt(Clock::time_point deadline, TimerProc proc, std::uintptr_t user) noexcept
{
    if (!proc || TimerService::gone())
        return 0;
    const Clock::time_point now = Clock::now();
    // Compared as durations from now, so that extreme instants cannot overflow.
    if (deadline > now && deadline - now > std::chrono::milliseconds(kPeriodMax))
        return 0;
    try {
        return service().add(deadline < now ? now : deadline, proc, user);
    } catch (...) {
        return 0;
    }
}

MmResult timeKillEvent(std::uint32_t timerId) noexcept
{
    if (TimerService::gone())
        return TimerNoCanDo;
    try {
        return service().kill(timerId);
    } catch (...) {
        return TimerNoCanDo;
    }
}

}  // namespace platform
