#include "clicktrack.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <utility>

#include "mididata/song.h"
#include "mididata/tempomap.h"
#include "midispec/midivocabulary.h"

#include "benchsupport.h"

namespace {

constexpr int kDivision = 480;
constexpr std::int32_t kTempos[] = {midi::kDefaultTempo, 400000, 600000, 333333, 545455};
constexpr std::uint8_t kWoodBlock = 76;

void putTrack(std::vector<std::uint8_t>& file, const std::vector<std::uint8_t>& events)
{
    const std::size_t n = events.size() + 4;
    file.insert(file.end(), {'M', 'T', 'r', 'k', std::uint8_t(n >> 24), std::uint8_t(n >> 16), std::uint8_t(n >> 8),
                             std::uint8_t(n)});
    file.insert(file.end(), events.begin(), events.end());
    file.insert(file.end(), {0x00, 0xFF, 0x2F, 0x00});
}

std::uint32_t le(const std::vector<std::uint8_t>& b, std::size_t at, int bytes)
{
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | b[at + std::size_t(i)];
    return v;
}

// Pairs each onset with the click it sounds for, as (onset, click index).
// The recording starts at no known instant, so the offset is the one that
// pairs the most onsets, tried between each of the first onsets and each of
// the first clicks; an onset pairs with the nearest click within 100 ms of it
// (clicks are at least 333 ms apart).
std::vector<std::pair<double, std::size_t>> pairClicks(const std::vector<double>& onsets,
                                                       const std::vector<double>& exact)
{
    constexpr double kNear = 100'000;
    if (exact.empty())
        return {};
    const auto pairsAt = [&](double offset) {
        std::vector<std::pair<double, std::size_t>> pairs;
        for (double onset : onsets) {
            const double want = onset - offset;
            const auto after = std::lower_bound(exact.begin(), exact.end(), want);
            auto nearest = after;
            if (after == exact.end() || (after != exact.begin() && want - *(after - 1) < *after - want))
                nearest = after - 1;
            if (std::fabs(*nearest - want) > kNear)
                continue;
            const std::size_t click = std::size_t(nearest - exact.begin());
            if (pairs.empty() || pairs.back().second < click)
                pairs.emplace_back(onset, click);
        }
        return pairs;
    };
    std::vector<std::pair<double, std::size_t>> best;
    const std::size_t tries = 5;
    for (std::size_t o = 0; o < std::min(tries, onsets.size()); ++o)
        for (std::size_t c = 0; c < std::min(tries, exact.size()); ++c) {
            auto pairs = pairsAt(onsets[o] - exact[c]);
            if (pairs.size() > best.size())
                best = std::move(pairs);
        }
    return best;
}

}  // namespace

// The click track, and the ticks of its clicks.
std::vector<std::uint8_t> clickTrack(double seconds, std::vector<std::int32_t>& clicks)
{
    std::vector<std::uint8_t> conductor, drums = {0x00, 0xB9, 91, 0, 0x00, 0xB9, 93, 0};
    double micros = 0;
    std::uint32_t lastClickOff = 0;
    for (std::uint32_t beat = 0; micros < seconds * 1e6; ++beat) {
        const std::uint32_t tick = beat * kDivision;
        if (beat % 8 == 0) {
            const std::int32_t tempo = kTempos[beat / 8 % std::size(kTempos)];
            putVarLen(conductor, beat == 0 ? 0 : 8 * kDivision);
            conductor.insert(conductor.end(), {0xFF, 0x51, 0x03, std::uint8_t(tempo >> 16), std::uint8_t(tempo >> 8),
                                               std::uint8_t(tempo)});
        }
        micros += double(kTempos[beat / 8 % std::size(kTempos)]);
        putVarLen(drums, tick - lastClickOff);
        drums.insert(drums.end(), {0x99, kWoodBlock, 110});
        putVarLen(drums, 60);
        drums.insert(drums.end(), {0x89, kWoodBlock, 0});
        lastClickOff = tick + 60;
        clicks.push_back(std::int32_t(tick));
    }
    std::vector<std::uint8_t> file = {
        'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 2, std::uint8_t(kDivision >> 8), std::uint8_t(kDivision)};
    putTrack(file, conductor);
    putTrack(file, drums);
    return file;
}

// A 16-bit PCM WAV file, read chunk by chunk.
bool readWav(const std::string& path, Audio& audio)
{
    std::ifstream in(path, std::ios::binary);
    const std::vector<std::uint8_t> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) != 0 || std::memcmp(b.data() + 8, "WAVE", 4) != 0)
        return false;
    int channels = 0, bits = 0;
    for (std::size_t at = 12; at + 8 <= b.size();) {
        const std::size_t size = le(b, at + 4, 4);
        const std::size_t body = at + 8;
        if (std::memcmp(b.data() + at, "fmt ", 4) == 0 && body + 16 <= b.size()) {
            channels = int(le(b, body + 2, 2));
            audio.rate = le(b, body + 4, 4);
            bits = int(le(b, body + 14, 2));
        } else if (std::memcmp(b.data() + at, "data", 4) == 0 && channels > 0 && bits == 16) {
            const std::size_t end = std::min(b.size(), body + size);
            for (std::size_t f = body; f + 2 * std::size_t(channels) <= end; f += 2 * std::size_t(channels)) {
                float v = 0;
                for (int c = 0; c < channels; ++c)
                    v = std::max(v, std::fabs(float(std::int16_t(le(b, f + 2 * std::size_t(c), 2)))));
                audio.level.push_back(v);
            }
            return true;
        }
        at = body + size + (size & 1);
    }
    return false;
}

// The first frame of each click: where the level first rises above a fifth of
// the loudest, looking again only after the click has had 200 ms (the clicks
// are at least 333 ms apart).
std::vector<double> onsetMicros(const Audio& audio)
{
    const float loudest = *std::max_element(audio.level.begin(), audio.level.end());
    const std::size_t holdOff = std::size_t(0.2 * audio.rate);
    std::vector<double> onsets;
    for (std::size_t i = 0; i < audio.level.size(); ++i) {
        if (audio.level[i] > loudest / 5) {
            onsets.push_back(double(i) * 1e6 / audio.rate);
            i += holdOff;
        }
    }
    return onsets;
}

// nearStall, when given, marks the clicks that a stall of the machine may have
// moved; the figures are then given once more without them.
void report(const char* what, const std::vector<double>& onsets, const std::vector<double>& exact, bool fitRate,
            const std::vector<bool>& nearStall)
{
    if (onsets.size() != exact.size()) {
        // A stream that underran drops the audio it could not play in time,
        // and a click due then may be missing from the recording: the rest
        // are still measured, each against the click it sounds for.
        std::vector<double> found, due;
        std::vector<bool> dueNearStall;
        for (auto [onset, click] : pairClicks(onsets, exact)) {
            found.push_back(onset);
            due.push_back(exact[click]);
            dueNearStall.push_back(click < nearStall.size() && nearStall[click]);
        }
        std::printf("%s: found %zu clicks, expected %zu; %zu lost, %zu not a click of the track\n", what, onsets.size(),
                    exact.size(), exact.size() - due.size(), onsets.size() - found.size());
        std::printf("  lost, in song time:");
        for (std::size_t click = 0, next = 0; click < exact.size(); ++click) {
            if (next < due.size() && due[next] == exact[click])
                ++next;
            else
                std::printf(" %.2f s", exact[click] / 1e6);
        }
        std::printf("\n");
        if (found.size() >= 2 && found.size() >= exact.size() / 2)
            report(what, found, due, fitRate, dueNearStall);
        return;
    }
    // Onsets against exact times as a straight line: the slope is how fast the
    // audio's clock ran against the player's; without fitRate it is taken as 1.
    double slope = 1;
    if (fitRate) {
        const double n = double(exact.size());
        double sx = 0, sy = 0, sxx = 0, sxy = 0;
        for (std::size_t i = 0; i < exact.size(); ++i) {
            sx += exact[i];
            sy += onsets[i];
            sxx += exact[i] * exact[i];
            sxy += exact[i] * onsets[i];
        }
        slope = (n * sxy - sx * sy) / (n * sxx - sx * sx);
    }
    std::vector<double> delays;
    for (std::size_t i = 0; i < exact.size(); ++i)
        delays.push_back(onsets[i] - slope * exact[i]);
    std::vector<double> sorted = delays;
    std::sort(sorted.begin(), sorted.end());
    const double delay = sorted[sorted.size() / 2];
    std::vector<double> errors;
    for (double d : delays)
        errors.push_back(std::fabs(d - delay));
    std::printf("%s\n  %zu clicks, constant delay %.2f ms", what, exact.size(), delay / 1000);
    if (fitRate)
        std::printf(", audio clock %.5f x the player's", slope);
    std::printf("\n  |click - tempo map|: p50 %.3f ms, p99 %.3f ms, max %.3f ms; last click %+.3f ms\n",
                percentile(errors, 0.5) / 1000, percentile(errors, 0.99) / 1000, percentile(errors, 1.0) / 1000,
                (delays.back() - delay) / 1000);
    std::vector<double> clear;
    for (std::size_t i = 0; i < errors.size(); ++i)
        if (i >= nearStall.size() || !nearStall[i])
            clear.push_back(errors[i]);
    if (clear.size() < errors.size())
        std::printf("  without the %zu clicks due while the machine stalled: p99 %.3f ms, max %.3f ms\n",
                    errors.size() - clear.size(), percentile(clear, 0.99) / 1000, percentile(clear, 1.0) / 1000);
}

std::vector<double> clickMicros(const std::vector<std::uint8_t>& image, const std::vector<std::int32_t>& clickTicks)
{
    midiSong song;
    song.loadFromMemory(image.data(), image.size());
    const TempoMap map(song);
    std::vector<double> exact;
    for (std::int32_t tick : clickTicks)
        exact.push_back(double(map.microsecondsAt(tick)));
    return exact;
}
