// How close the song player keeps to the exact times of a song. Plays a
// generated song (dense chords on four channels, pitch-bend and controller
// streams, a tempo change every two bars) through the capture device in real
// time and compares when each message reached the device with its exact time
// from the tempo map, counted from the moment the first group went out.
// Prints p50, p99 and maximum of |sent - exact| and the error of the last
// message; asserts nothing. Meanwhile sleeping probe threads (wakeprobe.h)
// watch for stalls of the whole machine; the late groups that coincide with
// one are counted apart, and the figures are repeated without them.
//
// With --practice the song is played as a practice run: a count-in bar, bars
// 3 to 6 looped for M minutes of song time, at 70 % of the tempo; the exact
// times are then those of the practice play track's own (scaled) tempo events.
//
//   player_bench [--minutes M] [--practice]   (default 1; the full test is --minutes 10)
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "mididata/song.h"
#include "mididata/tempomap.h"
#include "midiout/eventmessage.h"
#include "midiout/midigateway.h"
#include "midiout/playsong.h"
#include "midiout/practicetrack.h"
#include "midiout/sequenceplayer.h"
#include "midiout/songclock.h"
#include "midispec/midivocabulary.h"
#include "platform/capture.h"

#include "benchsupport.h"
#include "wakeprobe.h"

namespace {

constexpr int kDivision = 480;
constexpr int kChannels = 4;
constexpr int kChordNotes = 6;
constexpr std::uint32_t kSixteenth = 120;
constexpr std::uint32_t kTwoBars = 8 * 480;
constexpr std::int32_t kTempos[] = {midi::kDefaultTempo, 428571, 600000, 375000, 545454, 461538};

struct TimedBytes {
    std::uint32_t time;
    std::vector<std::uint8_t> bytes;
};

void putTrack(std::vector<std::uint8_t>& file, std::vector<TimedBytes>& events)
{
    std::stable_sort(events.begin(), events.end(),
                     [](const TimedBytes& a, const TimedBytes& b) { return a.time < b.time; });
    std::vector<std::uint8_t> body;
    std::uint32_t last = 0;
    for (const TimedBytes& e : events) {
        putVarLen(body, e.time - last);
        last = e.time;
        body.insert(body.end(), e.bytes.begin(), e.bytes.end());
    }
    body.insert(body.end(), {0x00, 0xFF, 0x2F, 0x00});
    file.insert(file.end(), {'M', 'T', 'r', 'k', std::uint8_t(body.size() >> 24), std::uint8_t(body.size() >> 16),
                             std::uint8_t(body.size() >> 8), std::uint8_t(body.size())});
    file.insert(file.end(), body.begin(), body.end());
}

// A format 1 file of about `minutes`: a conductor with the tempo changes and
// one track per channel.
std::vector<std::uint8_t> generateSong(double minutes)
{
    std::vector<std::vector<TimedBytes>> tracks(1 + kChannels);
    double micros = 0;
    std::uint32_t start = 0;
    for (std::size_t segment = 0; micros < minutes * 60e6; ++segment, start += kTwoBars) {
        const std::int32_t tempo = kTempos[segment % std::size(kTempos)];
        tracks[0].push_back(
            {start, {0xFF, 0x51, 0x03, std::uint8_t(tempo >> 16), std::uint8_t(tempo >> 8), std::uint8_t(tempo)}});
        micros += double(kTwoBars) * tempo / kDivision;
        for (int ch = 0; ch < kChannels; ++ch) {
            auto& track = tracks[std::size_t(1 + ch)];
            for (std::uint32_t t = start; t < start + kTwoBars; t += kSixteenth) {
                for (int n = 0; n < kChordNotes; ++n) {
                    const std::uint8_t key = std::uint8_t(48 + ch * 7 + n * 4 + (t / kSixteenth) % 5);
                    track.push_back({t, {std::uint8_t(0x90 | ch), key, 90}});
                    track.push_back({t + 100, {std::uint8_t(0x80 | ch), key, 0}});
                }
                for (std::uint32_t b = 0; b < kSixteenth; b += 30)
                    track.push_back({t + b, {std::uint8_t(0xE0 | ch), 0, std::uint8_t(56 + (t + b) / 30 % 16)}});
                if (t % 240 == 0)
                    track.push_back({t + 10, {std::uint8_t(0xB0 | ch), 11, std::uint8_t(80 + t / 240 % 40)}});
            }
        }
    }
    std::vector<std::uint8_t> file = {'M',
                                      'T',
                                      'h',
                                      'd',
                                      0,
                                      0,
                                      0,
                                      6,
                                      0,
                                      1,
                                      0,
                                      std::uint8_t(tracks.size()),
                                      std::uint8_t(kDivision >> 8),
                                      std::uint8_t(kDivision)};
    for (auto& track : tracks)
        putTrack(file, track);
    return file;
}

std::ptrdiff_t countAbove(const std::vector<double>& values, double limit)
{
    return std::count_if(values.begin(), values.end(), [limit](double v) { return v > limit; });
}

void printSpread(const char* what, const std::vector<double>& absErrors, const char* counted = "messages")
{
    std::printf("%-34s p50 %7.1f us   p99 %7.1f us   max %8.1f us   (%zu %s)\n", what, percentile(absErrors, 0.50),
                percentile(absErrors, 0.99), percentile(absErrors, 1.0), absErrors.size(), counted);
}

}  // namespace

int main(int argc, char** argv)
{
    double minutes = 1;
    bool practice = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--minutes") == 0 && i + 1 < argc)
            minutes = std::atof(argv[++i]);
        else if (std::strcmp(argv[i], "--practice") == 0)
            practice = true;
        else {
            std::fprintf(stderr, "usage: player_bench [--minutes M] [--practice]\n");
            return 2;
        }
    }
    if (!(minutes > 0))
        minutes = 1;

    midiSong song;
    const std::vector<std::uint8_t> image = generateSong(minutes);
    song.loadFromMemory(image.data(), image.size());
    midiTrack track(&song, 0, "");
    PracticeChoices choices;
    if (practice) {
        choices.countIn = true;
        choices.loopFrom = 3;
        choices.loopTo = 6;
        choices.tempoPercent = 70;
        choices.loopMinutes = std::max(1, int(std::lround(minutes)));
    }
    buildPracticeTrack(song, track, choices);
    const std::int32_t startTempo = practiceStartTempo(song, choices);

    platform::CaptureLog& log = platform::installCaptureBackend(1);
    MidiGateway gateway;
    if (gateway.OpenDevice(platform::MidiMapper) != 0) {
        std::fprintf(stderr, "player_bench: the capture device did not open\n");
        return 1;
    }
    std::printf("player_bench: %.1f min song, %d channels, chords of %d notes every 16th, pitch bend every 1/64,\n"
                "tempo change every 2 bars; playing in real time through the capture device...\n",
                minutes, kChannels, kChordNotes);
    std::fflush(stdout);
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    WakeProbe probe;
    gateway.SetTempo(startTempo);
    gateway.PlayTrack(&track);
    while (gateway.IsPlaying())
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    probe.stop();
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    const std::int64_t start = gateway.Player().songStartMicros();
    gateway.CloseDevice();

    // The messages in the order the player sends them: every event of the
    // expanded track that becomes a message.
    const TempoMap map(song);
    const std::vector<std::int64_t> practiceMicros =
        practice ? playerEventMicros(track, startTempo) : std::vector<std::int64_t>{};
    std::vector<std::int64_t> exact;
    std::vector<bool> firstOfGroup;
    std::int32_t lastTime = -1;
    for (std::size_t i = 0; i < track.size(); ++i) {
        const anyEvent* e = track.at(i);
        if (!e || !(shortMessageOf(*e) || e->status == 0xF0 || e->status == 0xF7))
            continue;
        exact.push_back(practice ? practiceMicros[i]
                                 : map.microsecondsAt(e->time) - map.microsecondsAt(track.at(0)->time));
        firstOfGroup.push_back(e->time != lastTime);
        lastTime = e->time;
    }
    const std::vector<platform::CapturedMessage> sent = log.messages();
    platform::removeCaptureBackend();
    if (sent.size() != exact.size()) {
        std::printf("sent %zu messages, expected %zu: the comparison would pair the wrong ones\n", sent.size(),
                    exact.size());
        return 1;
    }
    // Each group goes out when its first message does; a group that a stall
    // of the machine held up is one whose due time and first send enclose one.
    std::vector<double> all, firsts, allClear, firstsClear;
    std::size_t groups = 0, largest = 0, run = 0, lateGroups = 0, lateGroupsInStalls = 0;
    bool groupStalled = false;
    for (std::size_t i = 0; i < sent.size(); ++i) {
        const double error = std::fabs(double(sent[i].micros - start - exact[i]));
        if (firstOfGroup[i]) {
            const std::int64_t due = start + exact[i];
            groupStalled = probe.stalledDuring(std::min(due, sent[i].micros), std::max(due, sent[i].micros));
            if (error > 1000) {
                ++lateGroups;
                lateGroupsInStalls += groupStalled;
            }
            firsts.push_back(error);
            if (!groupStalled)
                firstsClear.push_back(error);
            ++groups;
            run = 0;
        }
        all.push_back(error);
        if (!groupStalled)
            allClear.push_back(error);
        largest = std::max(largest, ++run);
    }
    const double last = double(sent.back().micros - start - exact.back());
    std::printf("%zu messages in %zu groups (largest group %zu messages), %.1f s\n", sent.size(), groups, largest,
                double(exact.back()) / 1e6);
    printSpread("|sent - exact|, every message:", all);
    printSpread("|sent - exact|, first of each group:", firsts);
    std::printf("messages off by more than 0.5 ms: %td, 1 ms: %td, 2 ms: %td\n", countAbove(all, 500),
                countAbove(all, 1000), countAbove(all, 2000));
    std::printf("last message: sent - exact = %+.1f us\n", last);
    std::printf("page faults while playing: %ld minor (first touches of memory), %ld major (waits for the disk)\n",
                after.ru_minflt - before.ru_minflt, after.ru_majflt - before.ru_majflt);

    const std::vector<double> wakes = probe.lateness();
    std::printf("\nsleeping probes (one per processor, %d), how late the system woke them:\n", probe.processors());
    printSpread("  wake-up lateness:", wakes, "wake-ups");
    std::printf("  wake-ups later than 0.5 ms: %td, 1 ms: %td, 2 ms: %td", countAbove(wakes, 500),
                countAbove(wakes, 1000), countAbove(wakes, 2000));
    if (probe.stolenMillis() >= 0)
        std::printf("; processor time stolen by the hypervisor: %.0f ms", probe.stolenMillis());
    std::printf("\ngroups late by more than 1 ms: %zu, of which %zu while a probe stalled too\n", lateGroups,
                lateGroupsInStalls);
    std::printf("without the %zu groups a stall of the machine held up:\n", groups - firstsClear.size());
    printSpread("  every message:", allClear);
    printSpread("  first of each group:", firstsClear);
    std::printf("\ntargets: p50 <= 100 us, p99 <= 500 us, max <= 2000 us, last <= 1000 us\n");
    return 0;
}
