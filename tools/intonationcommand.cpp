#include "tools/intonationcommand.h"

#include <charconv>
#include <ostream>
#include <vector>

#include "mididata/song.h"
#include "mididata/track.h"
#include "perform/intonation.h"
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
    midiSong reference, take;
    if (!loadSong(reference, options.reference, err) || !loadSong(take, options.take, err))
        return 1;
    const midiTrack* part = trackNumbered(reference, options.track);
    if (!part) {
        err << options.reference << " has no track " << options.track << '\n';
        return 1;
    }
    // A take without notes is a take that left every note silent.
    const midiTrack silence(&take, 0, "");
    std::vector<TakePass> passes = takePassesOf(take);
    if (passes.empty())
        passes.push_back({1, &silence});
    const std::vector<PassScore> scores = scorePasses(reference, *part, take, passes);
    if (options.summary)
        writeSummaryCsv(scores, out);
    else
        writeIntonationCsv(scores, out);
    return 0;
}
