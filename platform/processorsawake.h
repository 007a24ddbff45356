#pragma once
// Keeps the machine's processors from halting while the built-in synth
// sounds. On a virtual machine, a processor that halts for more than a
// moment (a fifth of a millisecond on the usual hosts) is handed back to the
// host, and the next wake-up on it may then wait 10 to 40 ms for the host to
// run it again: the sound server's thread or ours misses the sink's deadline
// and the stream underruns, although nothing on the machine is busy. While
// held, a thread on each processor, at the lowest priority there is
// (SCHED_IDLE, so that any other thread runs first), naps 120 microseconds at
// a time and so never lets its processor halt for longer. That costs some 6
// to 9 % of each processor while the synth sounds, and nothing once it is
// released: the threads then wait without waking.
#include <atomic>
#include <cstdint>
#include <string_view>
#include <thread>
#include <vector>

namespace platform {

// When the built-in synth keeps the processors awake while it sounds.
enum class KeepAwake {
    Never,
    OnVirtualMachines,  // the default: a machine of real processors wakes in microseconds
    Always,
};

// The words orvelline.ini uses for each choice: "never", "auto", "always".
std::string_view keepAwakeWord(KeepAwake choice);
bool keepAwakeFromWord(std::string_view word, KeepAwake& choice);

// Whether this program runs on a virtual machine (the processor says it runs
// under a hypervisor).
bool runsOnVirtualMachine();
bool keepAwakeApplies(KeepAwake choice);

class ProcessorsAwake {
public:
    // One thread for each processor the process may run on.
    ProcessorsAwake();
    ~ProcessorsAwake();
    ProcessorsAwake(const ProcessorsAwake&) = delete;
    ProcessorsAwake& operator=(const ProcessorsAwake&) = delete;

    // From any thread, the audio thread included: neither blocks, and each
    // costs one atomic operation unless it changes the state.
    void hold() noexcept;
    void release() noexcept;
    bool held() const noexcept { return held_.load(std::memory_order_relaxed) != 0; }

    // The threads' naps so far, all processors together.
    std::uint64_t naps() const noexcept { return naps_.load(std::memory_order_relaxed); }
    std::size_t threads() const noexcept { return threads_.size(); }

private:
    void napOn(int processor);

    // An int rather than a bool: waiting on it is then a plain futex.
    std::atomic<int> held_{0};
    std::atomic<bool> quit_{false};
    std::atomic<std::uint64_t> naps_{0};
    std::vector<std::thread> threads_;
};

}  // namespace platform
