// Time to open the intonation report on a 10-minute take, as a player does:
// the session scores the take against the part, the report window fills its
// table and shows, and the picture with the played pitch curve is painted.
// The take is a pointer's: a pitch bend every 10 ms (a mouse's rate), and a
// second case every 2 ms (a fast pen). Runs on Qt's offscreen platform unless
// another is set; prints the median and the slowest of five openings.
#include <QApplication>
#include <QImage>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "app/intonationroll.h"
#include "app/intonationwindow.h"
#include "mididata/event.h"
#include "mididata/song.h"
#include "mididata/track.h"
#include "perform/practicelog.h"
#include "perform/session.h"
#include "platform/inifile.h"

namespace {

constexpr int kDivision = 480;
constexpr int kTempo = 500000;  // 120 beats a minute: a tick is about 1.04 ms
constexpr int kMinutes = 10;
constexpr int kBeats = kMinutes * 120;

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// A song at the benchmark's tempo with one track of a note a beat, walking
// up and down an octave, each held for `held` ticks.
std::unique_ptr<midiSong> songOfNotes(const char* trackName, int held)
{
    auto song = std::make_unique<midiSong>();
    song->division = kDivision;
    auto* conductor = song->addTrack(new midiTrack(song.get(), 0, "Tempo"));
    conductor->addEvent(new TempoEvent(0, 0x51, kTempo));
    song->setConductor(conductor);
    auto* track = song->addTrack(new midiTrack(song.get(), 1, trackName));
    track->durationForm = true;
    for (int beat = 0; beat < kBeats; ++beat) {
        auto* note = new NoteOnEvent(beat * kDivision, 0);
        note->key = std::uint8_t(60 + std::abs(beat % 24 - 12));
        note->velocity = 100;
        note->duration = held;
        track->addEvent(note);
    }
    track->endTime = kBeats * kDivision;
    return song;
}

// The part's take: each note held, and the pitch wandering around it by a
// bend every bendTicks, as a hand on the surface wanders.
std::unique_ptr<midiSong> takeSong(int bendTicks)
{
    auto take = songOfNotes("Practice take", kDivision - 10);
    midiTrack* track = take->tracks.back();
    for (int tick = 0, i = 0; tick < kBeats * kDivision; tick += bendTicks, ++i) {
        auto* bend = new PitchBendEvent(tick, 0);
        bend->bend = 8192 + (i * 37) % 600 - 300;  // within about ±7 cents at 2 semitones
        track->addEvent(bend);
    }
    track->sort();
    return take;
}

struct Opening {
    double scoring = 0, showing = 0, total = 0, repaint = 0;
};

Opening openOnce(Session& session, platform::IniFile& settings, const midiSong& take,
                 std::unique_ptr<IntonationWindow>& window)
{
    Opening o;
    const auto start = Clock::now();
    const PracticeReport report = session.scoreSavedTake(take, 1);
    o.scoring = secondsSince(start);
    const auto shown = Clock::now();
    window = std::make_unique<IntonationWindow>(nullptr, settings);
    window->showReport(report);
    // What the screen would get: every widget of the window painted once.
    QImage picture(window->size(), QImage::Format_ARGB32_Premultiplied);
    window->render(&picture);
    o.showing = secondsSince(shown);
    o.total = secondsSince(start);
    // A resize or an exposure paints the picture again.
    const auto repainted = Clock::now();
    QImage again(window->Roll->size(), QImage::Format_ARGB32_Premultiplied);
    window->Roll->render(&again);
    o.repaint = secondsSince(repainted);
    if (report.passes.empty() || report.passes.front().rows.size() != std::size_t(kBeats))
        std::printf("  (scored %zu notes, expected %d)\n",
                    report.passes.empty() ? std::size_t(0) : report.passes.front().rows.size(), kBeats);
    return o;
}

void measure(Session& session, platform::IniFile& settings, int bendTicks, const char* what)
{
    const std::unique_ptr<midiSong> take = takeSong(bendTicks);
    std::vector<Opening> runs;
    std::unique_ptr<IntonationWindow> window;
    for (int run = 0; run < 5; ++run) {
        runs.push_back(openOnce(session, settings, *take, window));
        window.reset();
        QApplication::processEvents();
    }
    std::sort(runs.begin(), runs.end(), [](const Opening& a, const Opening& b) { return a.total < b.total; });
    const Opening& median = runs[2];
    std::printf("%-34s open %.3f s (slowest %.3f s): scoring %.3f s, window %.3f s; picture repainted in %.3f s\n",
                what, median.total, runs.back().total, median.scoring, median.showing, median.repaint);
}

}  // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    Session session;
    // Never saved: the report only reads where its dialogs start.
    platform::IniFile settings = platform::IniFile::load("/nonexistent/orvelline.ini");
    session.takeSong(songOfNotes("Part", kDivision), "bench.mid");
    std::printf("intonation report on a %d-minute take of %d notes (median of 5; target under 0.5 s)\n", kMinutes,
                kBeats);
    measure(session, settings, 10, "a bend every 10 ms (57 600 bends)");
    measure(session, settings, 2, "a bend every 2 ms (288 000 bends)");
    return 0;
}
