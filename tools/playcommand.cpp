#include "tools/playcommand.h"

#include <signal.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <ostream>
#include <thread>
#include <vector>

#include "mididata/messagesink.h"
#include "mididata/song.h"
#include "mididata/track.h"
#include "midiout/clocktext.h"
#include "midiout/midigateway.h"
#include "midiout/playsong.h"
#include "midiout/songclock.h"
#include "perform/session.h"
#include "platform/clock.h"
#include "tools/arguments.h"
#include "tools/deviceadvice.h"
#include "tools/loadsong.h"

namespace {

constexpr std::chrono::milliseconds kPoll{20};
constexpr std::chrono::milliseconds kPositionEvery{100};

std::atomic<bool> interrupted{false};

void onInterrupt(int)
{
    interrupted.store(true);
}

// Routes what the gateway and the player report to err while the command runs.
class SinkToStream {
public:
    explicit SinkToStream(std::ostream& err)
        : previous_(setMessageSink(
              [&err](const std::string& m) { err << programLines(commandLineDeviceMessage(m)) << '\n'; }))
    {}
    ~SinkToStream() { setMessageSink(std::move(previous_)); }
    SinkToStream(const SinkToStream&) = delete;
    SinkToStream& operator=(const SinkToStream&) = delete;

private:
    MessageSink previous_;
};

// Bar, beat and tick of the last group sent, and the time, over the length.
class PositionLine {
public:
    PositionLine(const midiSong& song, const midiTrack& track, std::vector<std::int64_t> times)
        : cursor_(song), track_(track), times_(std::move(times))
    {}

    std::string at(std::int64_t elapsedMicros)
    {
        const auto sent = std::upper_bound(times_.begin(), times_.end(), elapsedMicros);
        const std::size_t index = sent == times_.begin() ? 0 : std::size_t(sent - times_.begin()) - 1;
        const MusicalPosition p = cursor_.at(track_.empty() ? 0 : track_.at(index)->time);
        char text[96];
        std::snprintf(text, sizeof text, "\r%03lld:%02lld:%03lld  %s / %s", static_cast<long long>(p.measure) + 1,
                      static_cast<long long>(p.beat) + 1, static_cast<long long>(p.tick),
                      clockText(std::min(elapsedMicros, length())).c_str(), clockText(length()).c_str());
        return text;
    }

private:
    std::int64_t length() const { return times_.empty() ? 0 : times_.back(); }

    PositionCursor cursor_;
    const midiTrack& track_;
    std::vector<std::int64_t> times_;
};

// Waits up to `time`, in short steps so that a stop is taken at once.
void waitFor(std::chrono::milliseconds time, const std::atomic<bool>& stop)
{
    const auto until = std::chrono::steady_clock::now() + time;
    while (!stop.load() && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(
            std::min<std::chrono::steady_clock::duration>(kPoll, until - std::chrono::steady_clock::now()));
}

}  // namespace

bool parsePlayArguments(std::span<const std::string> args, std::string& file, PlayOptions& options,
                        std::string& problem)
{
    static const OptionSpec known[] = {{"--device", "--device needs a number (see 'orvelline-midi devices')"}};
    SplitArguments split;
    if (!splitArguments("play", args, known, split, problem))
        return false;
    for (const auto& [name, number] : split.options) {
        int device = 0;
        const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), device);
        if (ec != std::errc() || end != number.data() + number.size() || device < -1) {
            problem = "--device takes -1 or a device number, not '" + number + "'";
            return false;
        }
        options.device = device;
    }
    if (split.operands.size() != 1) {
        problem = "play takes one FILE";
        return false;
    }
    file = split.operands[0];
    return true;
}

int runPlayCommand(const std::string& path, const PlayOptions& options, const std::atomic<bool>& stop,
                   std::ostream& out, std::ostream& err)
{
    auto song = std::make_unique<midiSong>();
    if (!loadSong(*song, path, err))
        return 1;
    SinkToStream sink(err);
    // The command plays songs only: the instrument leaves the module to them.
    Session::Options sessionOptions;
    sessionOptions.playsInstrument = false;
    Session session(sessionOptions);
    MidiGateway& gateway = session.gateway();
    if (gateway.OpenDevice(options.device) != 0) {
        err << "orvelline-midi: MIDI device " << options.device << " did not open. " << kDeviceChoiceAdvice << '\n';
        return 1;
    }
    // What reading the file does to the module; the command may wait on its own thread.
    const std::int32_t startTempo = playStartTempo(*song);
    session.takeSong(std::move(song), path);
    session.play([&out] { out << "Skip sysEx\n"; });
    // The player has expanded and sorted the track; it only reads it from now on.
    const midiTrack& track = *session.playTrack();
    PositionLine position(*session.song(), track, playerEventMicros(track, startTempo));
    const std::int64_t start = session.songStartMicros();
    auto shown = std::chrono::steady_clock::now() - kPositionEvery;
    while (session.isPlaying() && !stop.load()) {
        if (options.showPosition && std::chrono::steady_clock::now() - shown >= kPositionEvery) {
            shown = std::chrono::steady_clock::now();
            out << position.at(platform::nowMicros() - start) << std::flush;
        }
        std::this_thread::sleep_for(kPoll);
    }
    const bool stopped = stop.load();
    // The sound server went away, which said so: the song was dropped.
    const bool songDropped = gateway.songInterrupted();
    if (!stopped && !songDropped)
        waitFor(options.releaseTime, stop);
    gateway.StopPlayback();
    gateway.CloseDevice();
    if (options.showPosition)
        out << position.at(platform::nowMicros() - start) << '\n';
    if (stopped) {
        out << "Stopped.\n";
        return 130;
    }
    return songDropped ? 1 : 0;
}

const std::atomic<bool>& stopOnInterrupt()
{
    static const bool installed = [] {
        struct sigaction action = {};
        action.sa_handler = onInterrupt;
        sigemptyset(&action.sa_mask);
        // Back to the default after the first one: a second Ctrl-C ends the program.
        action.sa_flags = SA_RESETHAND;
        sigaction(SIGINT, &action, nullptr);
        sigaction(SIGTERM, &action, nullptr);
        return true;
    }();
    (void)installed;
    return interrupted;
}
