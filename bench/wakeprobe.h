#pragma once
// How late the system wakes threads that only sleep, while a benchmark runs.
// One probe thread per processor, pinned to it, with about the timer
// thread's scheduling (a real-time priority where the system allows it, no
// timer slack), wakes every millisecond. A wake-up that comes late shows a stall of
// that processor that no code of ours could have avoided (on a virtual
// machine, mostly the host running something else on it), so a benchmark
// can tell its late events that coincide with one from the rest.
#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

class WakeProbe {
public:
    // Starts at once and runs until stop() or destruction.
    WakeProbe();
    ~WakeProbe();
    WakeProbe(const WakeProbe&) = delete;
    WakeProbe& operator=(const WakeProbe&) = delete;
    void stop();

    // After stop(): the lateness of every wake-up of every probe, in microseconds.
    std::vector<double> lateness() const;
    // Whether some probe woke more than half a millisecond late across a
    // moment of [fromMicros, toMicros] (platform::nowMicros time base).
    bool stalledDuring(std::int64_t fromMicros, std::int64_t toMicros) const;
    int processors() const { return int(lanes_.size()); }
    // Processor time the hypervisor gave to others while the probes ran
    // ("steal" in /proc/stat, all processors together), in milliseconds;
    // negative when unknown.
    double stolenMillis() const { return stolenMillis_; }

private:
    struct Stall {
        std::int64_t dueMicros;
        std::int64_t wokenMicros;
    };
    struct Lane {
        std::vector<double> lateness;
        std::vector<Stall> stalls;
        std::thread thread;
    };
    void run(Lane& lane, int processor);

    std::atomic<bool> running_{true};
    std::vector<std::unique_ptr<Lane>> lanes_;
    double stealAtStart_ = -1;
    double stolenMillis_ = -1;
};
