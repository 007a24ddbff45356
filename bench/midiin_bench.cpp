// How long a controller takes through the MIDI input: from the moment a JACK
// client of the benchmark's own wrote the message into the program's JACK
// input port (in the same process cycle the input reads it) to the capture
// device's time stamp of the message the session sent for it. A thread
// waiting on the input's eventfd stands for the window thread, as the window
// drains it. Measured for the modulation wheel and for a foot pedal giving
// the loudness of a sounding note. Needs a JACK server (bench/midiin_bench.sh
// starts a private one). Prints p50, p99 and maximum; asserts nothing.
//
//   midiin_bench [--count N]   (messages per controller, default 2000)
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include <sys/eventfd.h>
#include <unistd.h>

#include "midiout/midigateway.h"
#include "perform/session.h"
#include "platform/capture.h"
#include "platform/midiin.h"
#include "tests/platform/jacksender.h"

#include "benchsupport.h"

namespace {

// Sends count values of the controller one at a time, each after the last
// one's answer reached the device, at uneven gaps so that the sends fall
// anywhere in the server's period. A message the server lost in an xrun
// (a busy machine) is counted in lost.
std::vector<double> measure(JackSender& sender, platform::CaptureLog& log, std::uint8_t controller, int count,
                            int& lost)
{
    std::vector<double> latencies;
    for (int i = 0; i < count; ++i) {
        log.clear();
        sender.send({0xB0, controller, std::uint8_t(i % 2 ? 100 - i % 50 : 20 + i % 50)});
        if (!log.waitForSize(1, std::chrono::milliseconds(200))) {
            ++lost;
            continue;
        }
        latencies.push_back(double(log.messages().front().micros - sender.lastSentMicros()));
        std::this_thread::sleep_for(std::chrono::microseconds(1000 + 397 * (i % 7)));
    }
    return latencies;
}

void print(const char* what, const std::vector<double>& latencies)
{
    std::printf("%-34s p50 %7.1f us   p99 %7.1f us   max %8.1f us   (%zu messages)\n", what, percentile(latencies, 0.5),
                percentile(latencies, 0.99),
                latencies.empty() ? 0.0 : *std::max_element(latencies.begin(), latencies.end()), latencies.size());
}

}  // namespace

int main(int argc, char** argv)
{
    int count = 2000;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--count") == 0 && i + 1 < argc)
            count = std::max(1, std::atoi(argv[++i]));
        else {
            std::fprintf(stderr, "usage: midiin_bench [--count N]\n");
            return 2;
        }
    }
    platform::CaptureLog& log = platform::installCaptureBackend(1);
    Session session;
    if (session.gateway().OpenDevice(platform::MidiMapper) != 0) {
        std::fprintf(stderr, "midiin_bench: the capture device did not open\n");
        return 1;
    }
    session.initSound();

    const int wake = eventfd(0, EFD_CLOEXEC);
    platform::MidiIn input({.useAlsa = false, .wake = [wake] {
                                const std::uint64_t one = 1;
                                [[maybe_unused]] const ssize_t written = write(wake, &one, sizeof one);
                            }});
    JackSender sender;
    if (!input.open() || !sender.start("orv-bench-sender") || !input.connect("jack:" + sender.portName())) {
        std::fprintf(stderr, "midiin_bench: %s\n", input.status().c_str());
        return 1;
    }
    std::atomic<bool> stop{false};
    std::thread window([&] {
        std::uint64_t wakes = 0;
        while (read(wake, &wakes, sizeof wakes) == sizeof wakes && !stop)
            input.drain([&](const std::uint8_t* bytes, std::size_t size) { session.midiIn(bytes, size); });
    });

    int lost = 0;
    const std::vector<double> wheel = measure(sender, log, 1, count, lost);
    InputChoices choices;
    choices.loudnessController = 4;
    session.setInputChoices(choices);
    PointerSample sample;
    sample.width = sample.height = 240;
    sample.x = sample.y = 120;
    session.pointerMoved(sample);
    const std::vector<double> pedal = measure(sender, log, 4, count, lost);

    stop = true;
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = write(wake, &one, sizeof one);
    window.join();
    std::printf("midiin_bench: written into the JACK input -> the session's message at the capture device\n");
    print("modulation wheel (controller 1)", wheel);
    print("foot pedal as loudness (4 -> 11)", pedal);
    std::printf("dropped in the ring: %llu; lost by the server (xruns): %d\n",
                static_cast<unsigned long long>(input.dropped()), lost);
    std::printf("target: p99 <= 1000 us\n");
    input.close();
    close(wake);
    platform::removeCaptureBackend();
    return 0;
}
