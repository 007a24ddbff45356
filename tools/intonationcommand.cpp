#include "tools/intonationcommand.h"

#include <charconv>
#include <cstdint>
#include <memory>
#include <ostream>
#include <vector>

#include "mididata/song.h"
#include "mididata/track.h"
#include "perform/intonation.h"
#include "perform/practicelog.h"
#include "perform/session.h"
#include "tools/loadsong.h"

bool parseIntonationArguments(std::span<const std::string> args, IntonationOptions& options, std::string& problem)
{
    std::vector<std::string> files;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--summary") {
            options.summary = true;
            continue;
        }
        if (args[i] != "--track") {
            files.push_back(args[i]);
            continue;
        }
        if (i + 1 >= args.size()) {
            problem = "--track needs a track number";
            return false;
        }
        const std::string& text = args[++i];
        int number = -1;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
        if (error != std::errc() || end != text.data() + text.size() || number < 0) {
            problem = "bad track number '" + text + "'";
            return false;
        }
        options.track = number;
    }
    if (files.size() != 2) {
        problem = "intonation takes REFERENCE and TAKE";
        return false;
    }
    if (options.track < 0) {
        problem = "intonation needs --track N";
        return false;
    }
    options.reference = files[0];
    options.take = files[1];
    return true;
}

int runIntonationCommand(const IntonationOptions& options, std::ostream& out, std::ostream& err)
{
    // The window's own scoring: the reference is the session's song, the
    // take is scored against its track as the report scores a practice take.
    auto reference = std::make_unique<midiSong>();
    midiSong take;
    if (!loadSong(*reference, options.reference, err) || !loadSong(take, options.take, err))
        return 1;
    // No device is open: nothing is sent, and there is no module to wait for.
    Session::Options sessionOptions;
    sessionOptions.playsInstrument = false;
    sessionOptions.pause = [](std::uint32_t) {};
    sessionOptions.performerPause = [](std::uint32_t) {};
    Session session(sessionOptions);
    session.takeSong(std::move(reference), options.reference);
    if (!trackNumbered(*session.song(), options.track)) {
        err << options.reference << " has no track " << options.track << '\n';
        return 1;
    }
    const PracticeReport report = session.scoreSavedTake(take, options.track);
    if (options.summary)
        writeSummaryCsv(report.passes, out);
    else
        writeIntonationCsv(report.passes, out);
    return 0;
}
