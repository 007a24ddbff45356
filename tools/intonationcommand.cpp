#include "tools/intonationcommand.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <memory>
#include <ostream>
#include <vector>

#include "mididata/song.h"
#include "mididata/standardstreams.h"
#include "mididata/track.h"
#include "perform/intonation.h"
#include "perform/practicelog.h"
#include "perform/session.h"
#include "tools/arguments.h"
#include "tools/loadsong.h"

bool parseIntonationArguments(std::span<const std::string> args, IntonationOptions& options, std::string& problem)
{
    static const OptionSpec known[] = {{"--track", "--track needs a track number"}, {"--summary"}};
    SplitArguments split;
    if (!splitArguments("intonation", args, known, split, problem))
        return false;
    for (const auto& [name, text] : split.options) {
        if (name == "--summary") {
            options.summary = true;
            continue;
        }
        int number = -1;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
        if (error != std::errc() || end != text.data() + text.size() || number < 0) {
            problem = "bad track number '" + text + "'";
            return false;
        }
        options.track = number;
    }
    if (split.operands.size() != 2) {
        problem = "intonation takes REFERENCE and TAKE";
        return false;
    }
    if (options.track < 0) {
        problem = "intonation needs --track N";
        return false;
    }
    options.reference = split.operands[0];
    options.take = split.operands[1];
    if (namesStandardStream(options.reference) && namesStandardStream(options.take)) {
        problem = "standard input (-) can be REFERENCE or TAKE, not both";
        return false;
    }
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
    const std::string referenceName = standardStreamName(options.reference, false);
    if (!trackNumbered(*session.song(), options.track)) {
        err << "orvelline-midi: " << referenceName << " has no track " << options.track << '\n';
        return 1;
    }
    const PracticeReport report = session.scoreSavedTake(take, options.track);
    // A CSV of its heading alone would pass for a result in a script.
    const bool anyNote = std::any_of(report.passes.begin(), report.passes.end(),
                                     [](const PassScore& pass) { return !pass.rows.empty(); });
    if (!anyNote) {
        err << "orvelline-midi: " << referenceName << ": track " << options.track << " holds no notes to score\n";
        return 1;
    }
    if (options.summary)
        writeSummaryCsv(report.passes, out);
    else
        writeIntonationCsv(report.passes, out);
    return 0;
}
