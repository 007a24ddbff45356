#include "perform/songposition.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <tuple>
#include <utility>

#include "mididata/song.h"
#include "mididata/tempomap.h"
#include "midiout/practiceclock.h"

namespace {

std::pair<std::int64_t, std::int64_t> barAndBeat(const midiSong& song, std::int64_t tick)
{
    const std::int64_t bar = song.barStarts.lastAtOrBefore(tick);
    const std::int64_t barStart = bar < 0 ? 0 : song.barStarts.at(bar);
    const Meter meter = song.meterAt(std::int32_t(std::clamp<std::int64_t>(tick, 0, INT32_MAX)));
    return {std::max<std::int64_t>(bar, 0) + 1, (tick - barStart) / std::max<std::int64_t>(meter.ticksPerBeat, 1) + 1};
}

}  // namespace

std::string barBeatText(const midiSong& song, std::int64_t tick)
{
    const auto [bar, beat] = barAndBeat(song, tick);
    return std::to_string(bar) + ":" + std::to_string(beat);
}

std::vector<std::int64_t> barStartMicros(const midiSong& song)
{
    const TempoMap map(song);
    std::vector<std::int64_t> starts;
    for (std::int64_t i = 0; i < song.barStarts.count(); ++i)
        starts.push_back(map.microsecondsAt(song.barStarts.at(i)));
    return starts;
}

SongPosition songPositionAt(const midiSong& song, const PracticeClock& clock, std::int64_t micros)
{
    SongPosition position;
    const std::int64_t tick = clock.songTickAt(micros);
    if (tick < 0)
        return position;
    position.inSong = true;
    std::tie(position.bar, position.beat) = barAndBeat(song, tick);
    position.micros = TempoMap(song).microsecondsAt(tick);
    if (clock.layout().loops())
        position.pass = clock.passAt(micros).pass + 1;
    return position;
}

std::string songPositionText(const SongPosition& position)
{
    if (!position.inSong)
        return "Count-in";
    const std::int64_t tenths = position.micros / 100000;
    char text[96];
    std::snprintf(text, sizeof text, "Bar %lld:%lld  %lld:%02lld.%lld", static_cast<long long>(position.bar),
                  static_cast<long long>(position.beat), static_cast<long long>(tenths / 600),
                  static_cast<long long>(tenths / 10 % 60), static_cast<long long>(tenths % 10));
    std::string shown = text;
    if (position.pass > 0)
        shown += "  pass " + std::to_string(position.pass);
    return shown;
}

std::int64_t songBars(const midiSong& song)
{
    // A bar starting where the song ends holds nothing of it.
    if (song.songLength <= 0)
        return std::max<std::int64_t>(song.barStarts.count() - 1, 0);
    return song.barStarts.lastAtOrBefore(song.songLength - 1) + 1;
}

std::string loopProblem(const midiSong& song, int from, int to)
{
    const std::int64_t bars = songBars(song);
    const std::string count = "The song has " + std::to_string(bars) + (bars == 1 ? " bar" : " bars");
    if (from < 1 || from > bars || to < 1 || to > bars)
        return count + ": a loop lies within bars 1 to " + std::to_string(bars) + ".";
    if (to < from)
        return count + ": the loop's last bar (" + std::to_string(to) + ") comes before its first (" +
               std::to_string(from) + ").";
    return {};
}
