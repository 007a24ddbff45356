#include "tools/intonationcommand.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "mididata/smf_test_support.h"

namespace {

class TempMidi {
public:
    TempMidi(const std::string& tag, const smftest::Bytes& bytes)
        : path_(std::filesystem::temp_directory_path() /
                ("orv-intonation-" + tag + "-" + std::to_string(getpid()) + ".mid"))
    {
        std::ofstream f(path_, std::ios::binary);
        f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    ~TempMidi() { std::filesystem::remove(path_); }
    std::string path() const { return path_.string(); }

private:
    std::filesystem::path path_;
};

}  // namespace

TEST(IntonationCommand, PrintsOneCsvLinePerNoteWithEmptyCentsForASilentNote)
{
    // Two half-second notes, A4 and C#5; the take plays the first 10 cents sharp
    // (range 12, bend 8192 + 68.2666: 68 units give 9.96 cents) for its first half.
    TempMidi reference(
        "reference",
        smftest::smf(
            1, {
                   {},
                   smftest::timed(
                       {{0, {0x90, 69, 100}}, {480, {0x80, 69, 0}}, {480, {0x90, 73, 100}}, {960, {0x80, 73, 0}}}),
               }));
    TempMidi take("take", smftest::smf(1, {smftest::timed({
                                              {0, {0xB0, 101, 0}},
                                              {0, {0xB0, 100, 0}},
                                              {0, {0xB0, 6, 12}},
                                              {0, {0xE0, (8192 + 68) & 0x7F, (8192 + 68) >> 7}},
                                              {0, {0x90, 69, 100}},
                                              {240, {0x80, 69, 0}},
                                          })}));
    std::ostringstream out, err;

    IntonationOptions options;
    std::string problem;
    const std::vector<std::string> args = {reference.path(), "--track", "1", take.path()};
    ASSERT_TRUE(parseIntonationArguments(args, options, problem)) << problem;
    EXPECT_EQ(runIntonationCommand(options, out, err), 0);

    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(out.str(), "pass,start_s,end_s,note,name,cents_mean,cents_max,coverage\n"
                         "1,0.000,0.500,69,A4,9.96,9.96,0.500\n"
                         "1,0.500,1.000,73,C#5,,,0.000\n");

    // A quarter of the part's second sounded in tune.
    const std::vector<std::string> summary = {reference.path(), take.path(), "--summary", "--track=1"};
    ASSERT_TRUE(parseIntonationArguments(summary, options, problem)) << problem;
    std::ostringstream lines;
    EXPECT_EQ(runIntonationCommand(options, lines, err), 0);
    EXPECT_EQ(lines.str(), "pass,notes,within_25,mean_abs_cents,in_tune_share\n1,2,1,9.96,0.250\n");
}

TEST(IntonationCommand, RejectsMissingOrBadArgumentsAndUnknownTracks)
{
    IntonationOptions options;
    std::string problem;
    const std::vector<std::vector<std::string>> bad = {
        {"a.mid", "b.mid"},
        {"a.mid", "--track", "1"},
        {"a.mid", "b.mid", "--track"},
        {"a.mid", "b.mid", "--track", "x"},
        {"a.mid", "b.mid", "--track", "-1"},
        {"a.mid", "b.mid", "--track=x"},
        {"-", "-", "--track", "1"},
    };
    for (const auto& args : bad) {
        problem.clear();
        EXPECT_FALSE(parseIntonationArguments(args, options, problem)) << args.size();
        EXPECT_FALSE(problem.empty());
    }

    TempMidi song("song", smftest::smf(1, {{}}));
    options = {song.path(), song.path(), 5};
    std::ostringstream out, err;
    EXPECT_EQ(runIntonationCommand(options, out, err), 1);
    EXPECT_EQ(err.str(), "orvelline-midi: " + song.path() + " has no track 5\n");
    EXPECT_EQ(out.str(), "");

    // A track without notes scores nothing, which is no result.
    options = {song.path(), song.path(), 0};
    std::ostringstream none, noneErr;
    EXPECT_EQ(runIntonationCommand(options, none, noneErr), 1);
    EXPECT_EQ(noneErr.str(), "orvelline-midi: " + song.path() + ": track 0 holds no notes to score\n");
    EXPECT_EQ(none.str(), "");
}
