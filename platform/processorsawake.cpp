#include "platform/processorsawake.h"

#include <pthread.h>
#include <sched.h>
#include <sys/prctl.h>
#include <time.h>

#include <exception>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

namespace platform {

namespace {

// Well under the time a host polls a halted processor before it gives the
// processor's time away (200 µs on KVM's default).
constexpr long kNapNanos = 120'000;
constexpr int kMostThreads = 64;

}  // namespace

std::string_view keepAwakeWord(KeepAwake choice)
{
    switch (choice) {
    case KeepAwake::Never: return "never";
    case KeepAwake::OnVirtualMachines: return "auto";
    case KeepAwake::Always: return "always";
    }
    return "auto";
}

bool keepAwakeFromWord(std::string_view word, KeepAwake& choice)
{
    for (KeepAwake each : {KeepAwake::Never, KeepAwake::OnVirtualMachines, KeepAwake::Always}) {
        if (word == keepAwakeWord(each)) {
            choice = each;
            return true;
        }
    }
    return false;
}

bool runsOnVirtualMachine()
{
#if defined(__x86_64__) || defined(__i386__)
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    // Leaf 1, ECX bit 31: reserved for hypervisors to set.
    return __get_cpuid(1, &eax, &ebx, &ecx, &edx) && (ecx & (1u << 31)) != 0;
#else
    return false;
#endif
}

bool keepAwakeApplies(KeepAwake choice)
{
    return choice == KeepAwake::Always || (choice == KeepAwake::OnVirtualMachines && runsOnVirtualMachine());
}

ProcessorsAwake::ProcessorsAwake()
{
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    const bool known = sched_getaffinity(0, sizeof allowed, &allowed) == 0;
    // A thread the system refuses is no matter: the processors it would have
    // kept awake halt as they did before.
    try {
        if (!known)
            threads_.emplace_back([this] { napOn(-1); });
        for (int processor = 0; known && processor < CPU_SETSIZE && int(threads_.size()) < kMostThreads; ++processor)
            if (CPU_ISSET(processor, &allowed))
                threads_.emplace_back([this, processor] { napOn(processor); });
    } catch (const std::exception&) {
    }
}

ProcessorsAwake::~ProcessorsAwake()
{
    quit_.store(true);
    held_.store(1);
    held_.notify_all();
    for (std::thread& thread : threads_)
        thread.join();
}

void ProcessorsAwake::hold() noexcept
{
    if (held_.exchange(1) == 0)
        held_.notify_all();
}

void ProcessorsAwake::release() noexcept
{
    held_.store(0);
}

void ProcessorsAwake::napOn(int processor)
{
    if (processor >= 0) {
        cpu_set_t only;
        CPU_ZERO(&only);
        CPU_SET(processor, &only);
        pthread_setaffinity_np(pthread_self(), sizeof only, &only);
    }
    // Refusals are no matter: at normal priority the thread still naps, and
    // with coarser timers it naps a little longer.
    sched_param lowest{};
    pthread_setschedparam(pthread_self(), SCHED_IDLE, &lowest);
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    const timespec nap{0, kNapNanos};
    while (!quit_.load()) {
        if (held_.load() == 0) {
            held_.wait(0);
            continue;
        }
        nanosleep(&nap, nullptr);
        naps_.fetch_add(1, std::memory_order_relaxed);
    }
}

}  // namespace platform
