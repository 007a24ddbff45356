// Real files, written by other programs' MIDI writers at test time (abc2midi
// from abcmidi, csvmidi from midicsv) from the sources in tests/data/roundtrip,
// must come back from "copy" as the same song.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "mididata/smf_test_support.h"
#include "tools/copycommand.h"
#include "tools/songjson.h"

using namespace smftest;
namespace fs = std::filesystem;

namespace {

fs::path sourceFolder()
{
    return fs::path(ORV_TEST_DATA) / "roundtrip";
}

std::string quoted(const fs::path& p)
{
    return "'" + p.string() + "'";
}

// Runs a writer; its chatter goes to a log that a failure shows.
bool run(const std::string& command, std::string& log)
{
    FILE* p = popen((command + " 2>&1").c_str(), "r");
    if (!p)
        return false;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, p))
        log += buffer;
    return pclose(p) == 0;
}

bool haveProgram(const std::string& name)
{
    std::string ignored;
    return run("command -v " + name, ignored);
}

// The MIDI files of the corpus, made in `folder`.
std::vector<fs::path> buildCorpus(const fs::path& folder)
{
    std::vector<fs::path> made;
    for (const auto& entry : fs::directory_iterator(sourceFolder())) {
        const fs::path source = entry.path();
        const fs::path mid = folder / (source.stem().string() + "-" + source.extension().string().substr(1) + ".mid");
        std::string command;
        if (source.extension() == ".abc")
            command = "abc2midi " + quoted(source) + " -o " + quoted(mid);
        else if (source.extension() == ".csv")
            command = "csvmidi " + quoted(source) + " " + quoted(mid);
        else if (source.extension() == ".mid")
            fs::copy_file(source, mid);
        std::string log;
        if (!command.empty()) {
            EXPECT_TRUE(run(command, log)) << command << "\n" << log;
        }
        if (fs::exists(mid)) {
            made.push_back(mid);
        } else {
            ADD_FAILURE() << "no file made from " << source << "\n" << log;
        }
    }
    return made;
}

std::string json(const fs::path& file)
{
    std::ostringstream out, err;
    EXPECT_EQ(runJsonCommand(file.string(), out, err), 0) << file << ": " << err.str();
    return out.str();
}

}  // namespace

TEST(RoundTrip, FilesOfOtherWritersComeBackFromCopyAsTheSameSong)
{
    for (const char* program : {"abc2midi", "csvmidi"})
        ASSERT_TRUE(haveProgram(program)) << program << " is missing: scripts/install-deps.sh installs it";
    TempDir dir("roundtrip");
    const std::vector<fs::path> corpus = buildCorpus(dir.path());
    ASSERT_GE(corpus.size(), 5u);
    for (const fs::path& original : corpus) {
        SCOPED_TRACE(original.filename().string());
        const fs::path copy = original.string() + ".copy.mid";
        std::ostringstream err;
        ASSERT_EQ(runCopyCommand(original.string(), copy.string(), err), 0) << err.str();
        const std::string before = json(original);
        EXPECT_EQ(json(copy), before);
        // A copy of the copy is the same file: nothing drifts from save to save.
        const fs::path again = original.string() + ".again.mid";
        ASSERT_EQ(runCopyCommand(copy.string(), again.string(), err), 0) << err.str();
        EXPECT_EQ(readFile(again.string()), readFile(copy.string()));
    }
}
