// How long a pitch bend takes from the playing surface to the device: the
// time from the call of Performer's SetPitchBend to the capture device's time
// stamp of the message. The 2 ms pause after each send follows the message,
// so it is not part of the figure. Measured alone, and again while a song
// plays through the same gateway on other channels (playing along with a
// file), and with pitch correction on (100 % in C major with a glide, so the
// pointer's bend goes through the correction first and the figure starts at
// the pointer's bend). Prints p50, p99 and maximum; asserts nothing.
//
//   livepath_bench [--count N]   (bends per run, default 3000; each takes 2 ms)
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "mididata/song.h"
#include "midiout/midigateway.h"
#include "midiout/playsong.h"
#include "midispec/midivocabulary.h"
#include "perform/pitchcorrection.h"
#include "perform/session.h"
#include "perform/vidize.h"
#include "platform/capture.h"
#include "platform/clock.h"

#include "benchsupport.h"

namespace {

constexpr int kPerformerChannel = 15;

// A song of about `seconds`: a note on or off on channel 0 and a pitch bend on
// channel 1 every 5 ticks (5.2 ms at the default tempo).
std::vector<std::uint8_t> busySong(double seconds)
{
    std::vector<std::uint8_t> body;
    const int steps = int(seconds * 1e6 / (5.0 * midi::kDefaultTempo / 480));
    for (int i = 0; i < steps; ++i) {
        const std::uint8_t key = std::uint8_t(60 + i / 2 % 12);
        body.insert(body.end(),
                    {0x05, 0x90, key, std::uint8_t(i % 2 ? 0 : 90), 0x00, 0xE1, std::uint8_t(i & 0x7F), 0x40});
    }
    body.insert(body.end(), {0x00, 0xFF, 0x2F, 0x00});
    std::vector<std::uint8_t> file = {'M',
                                      'T',
                                      'h',
                                      'd',
                                      0,
                                      0,
                                      0,
                                      6,
                                      0,
                                      0,
                                      0,
                                      1,
                                      0x01,
                                      0xE0,
                                      'M',
                                      'T',
                                      'r',
                                      'k',
                                      std::uint8_t(body.size() >> 24),
                                      std::uint8_t(body.size() >> 16),
                                      std::uint8_t(body.size() >> 8),
                                      std::uint8_t(body.size())};
    file.insert(file.end(), body.begin(), body.end());
    return file;
}

// The microseconds from each call to the bend message it sent, in order.
std::vector<double> latenciesOf(platform::CaptureLog& log, const std::vector<std::int64_t>& called,
                                int channel = kPerformerChannel)
{
    std::vector<double> latencies;
    std::size_t next = 0;
    for (const platform::CapturedMessage& m : log.messages()) {
        if (m.bytes.empty() || m.bytes[0] != 0xE0 + channel)
            continue;
        if (next < called.size())
            latencies.push_back(double(m.micros - called[next++]));
    }
    return latencies;
}

// Bends alternately up and down, so each call sends, and answers the
// microseconds from each call to its message's arrival.
std::vector<double> measureBends(TVidize& performer, platform::CaptureLog& log, int count)
{
    std::vector<std::int64_t> called;
    for (int i = 0; i < count; ++i) {
        called.push_back(platform::nowMicros());
        performer.SetPitchBend(i % 2 ? midi::kBendCentre + 300 : midi::kBendCentre - 300);
    }
    return latenciesOf(log, called);
}

// A hand sweeping the whole range up and down, 37 units a move: each move
// goes through the correction, and the moves that change the sounded bend
// are timed from the pointer's bend to the message.
std::vector<double> measureCorrectedBends(TVidize& performer, platform::CaptureLog& log, int count)
{
    PitchCorrection correction;
    correction.setSettings({100, ScaleKind::Major, 120});
    correction.setRoot(0);
    correction.setAxis(69, 12);
    std::vector<std::int64_t> called;
    std::int32_t pointer = 0;
    std::int32_t direction = 37;
    std::int32_t last = performer.PitchBend;
    for (int i = 0; i < count; ++i) {
        if (pointer + direction < 0 || pointer + direction > 16383)
            direction = -direction;
        pointer += direction;
        const std::int64_t start = platform::nowMicros();
        const std::int32_t sounded = correction.follow(pointer, platform::timeGetTime());
        if (sounded == last)
            continue;
        called.push_back(start);
        performer.SetPitchBend(sounded);
        last = sounded;
    }
    return latenciesOf(log, called);
}

// Pointer moves through the session, as the square hands them over, between
// two places a few semitones apart so that each move sends a bend: from the
// call to the bend message, for a mouse, a pen whose pressure gives the
// loudness and whose tilt the modulation, and a finger.
std::vector<double> measurePointerMoves(platform::CaptureLog& log, PointerSource source, int count)
{
    Session session;
    InputChoices choices;
    choices.loudnessFromPen = choices.tiltToModulation = source == PointerSource::Pen;
    session.setInputChoices(choices);
    session.gateway().OpenDevice(platform::MidiMapper);
    session.initSound();
    log.clear();
    PointerSample sample;
    sample.width = sample.height = 300;
    sample.x = 150;
    sample.source = source;
    std::vector<std::int64_t> called;
    for (int i = 0; i < count; ++i) {
        sample.y = i % 2 ? 100 : 200;
        sample.pressure = 0.3 + 0.5 * (i % 7) / 7.0;
        sample.tiltX = i % 5 * 10;
        called.push_back(platform::nowMicros());
        session.pointerMoved(sample);
    }
    const int channel = session.performer().Channel;
    std::vector<double> latencies = latenciesOf(log, called, channel);
    session.leaveSurface();
    session.gateway().CloseDevice();
    return latencies;
}

// The correction's own share of a move, without sending: many moves, timed together.
double correctionNanos()
{
    PitchCorrection correction;
    correction.setSettings({100, ScaleKind::Blues, 120});
    correction.setAxis(69, 12);
    constexpr int kMoves = 1000000;
    std::int64_t sum = 0;
    const std::int64_t start = platform::nowMicros();
    for (int i = 0; i < kMoves; ++i) {
        sum += correction.follow(std::int32_t((i * 37) % 16384), std::uint32_t(i / 4));
        if (correction.settling())
            sum += 1;
    }
    const std::int64_t micros = platform::nowMicros() - start;
    if (sum == 42)
        std::printf("\n");  // keeps the loop from being optimised away
    return double(micros) * 1000.0 / kMoves;
}

void print(const char* what, const std::vector<double>& latencies)
{
    std::printf("%-40s p50 %6.1f us   p99 %6.1f us   max %7.1f us   (%zu bends)\n", what, percentile(latencies, 0.5),
                percentile(latencies, 0.99), percentile(latencies, 1.0), latencies.size());
}

}  // namespace

int main(int argc, char** argv)
{
    int count = 3000;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--count") == 0 && i + 1 < argc)
            count = std::max(1, std::atoi(argv[++i]));
        else {
            std::fprintf(stderr, "usage: livepath_bench [--count N]\n");
            return 2;
        }
    }
    platform::CaptureLog& log = platform::installCaptureBackend(1);
    MidiGateway gateway;
    if (gateway.OpenDevice(platform::MidiMapper) != 0) {
        std::fprintf(stderr, "livepath_bench: the capture device did not open\n");
        return 1;
    }
    TVidize performer(&gateway);
    performer.InitSound();
    performer.SetChannel(kPerformerChannel);

    log.clear();
    const std::vector<double> alone = measureBends(performer, log, count);

    midiSong song;
    const std::vector<std::uint8_t> image = busySong(count * 0.0025 + 1);
    song.loadFromMemory(image.data(), image.size());
    midiTrack track(&song, 0, "");
    playSong(gateway, song, track);
    log.clear();
    const std::vector<double> alongside = measureBends(performer, log, count);
    gateway.StopPlayback();
    log.clear();
    const std::vector<double> corrected = measureCorrectedBends(performer, log, count);
    gateway.CloseDevice();
    const int moves = std::max(1, count / 3);
    const std::vector<double> mouse = measurePointerMoves(log, PointerSource::Mouse, moves);
    const std::vector<double> pen = measurePointerMoves(log, PointerSource::Pen, moves);
    const std::vector<double> finger = measurePointerMoves(log, PointerSource::Touch, moves);
    platform::removeCaptureBackend();

    std::printf("livepath_bench: SetPitchBend called -> message at the capture device (2 ms pause left out)\n");
    print("alone:", alone);
    print("while a song plays on the gateway:", alongside);
    print("through the correction (100 %, glide):", corrected);
    std::printf("pointer moves through the session, from the call to the bend:\n");
    print("  mouse:", mouse);
    print("  pen (pressure and tilt play):", pen);
    print("  finger:", finger);
    std::printf("the correction alone: %.0f ns a move\n", correctionNanos());
    std::printf("target: p99 <= 50 us\n");
    return 0;
}
