// The command line's conventions, through the program itself: "-" for
// standard input and output, --help for every command, --name=value beside
// --name value, every error line led by the program's name, a missing file said
// as missing, and a request that yields nothing failing.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "mididata/smf_test_support.h"
#include "platform/soundfont.h"

using namespace smftest;

namespace {

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

std::string readText(const std::string& path)
{
    const Bytes bytes = readFile(path);
    return std::string(bytes.begin(), bytes.end());
}

// Runs the program in dir with stdin read from the file input ("" for none).
ToolRun runTool(const TempDir& dir, const std::vector<std::string>& args, const std::string& input = "")
{
    const std::string outPath = dir.file("stdout"), errPath = dir.file("stderr");
    std::vector<std::string> argv = {ORV_TOOL_PROGRAM};
    argv.insert(argv.end(), args.begin(), args.end());
    const pid_t child = fork();
    if (child == 0) {
        const int in = open(input.empty() ? "/dev/null" : input.c_str(), O_RDONLY);
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || out < 0 || err < 0 || chdir(dir.path().c_str()) != 0)
            _exit(127);
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        std::vector<char*> pointers;
        for (std::string& a : argv)
            pointers.push_back(a.data());
        pointers.push_back(nullptr);
        execv(pointers[0], pointers.data());
        _exit(127);
    }
    ToolRun run;
    int wstatus = 0;
    if (child > 0 && waitpid(child, &wstatus, 0) == child && WIFEXITED(wstatus))
        run.status = WEXITSTATUS(wstatus);
    run.out = readText(outPath);
    run.err = readText(errPath);
    return run;
}

// Every line of err, which holds at least one, begins with the program's name.
::testing::AssertionResult everyLineNamesTheProgram(const std::string& err)
{
    std::istringstream lines(err);
    std::string line;
    int count = 0;
    while (std::getline(lines, line)) {
        ++count;
        if (line.rfind("orvelline-midi: ", 0) != 0)
            return ::testing::AssertionFailure() << "line '" << line << "' of:\n" << err;
    }
    if (count == 0)
        return ::testing::AssertionFailure() << "no error said";
    return ::testing::AssertionSuccess();
}

Bytes noteSong()
{
    return smf(1, {{0x00, 0x90, 0x3C, 0x64, 0x83, 0x60, 0x80, 0x3C, 0x00}});
}

}  // namespace

TEST(CommandLine, DashIsStandardInputAndOutputAndOutputThereNeedsNoFile)
{
    TempDir dir("cli-dash");
    const std::string song = dir.file("song.mid");
    writeFile(song, noteSong());

    const ToolRun info = runTool(dir, {"info", "-"}, song);
    EXPECT_EQ(info.status, 0) << info.err;
    EXPECT_NE(info.out.find("Length:   480 ticks"), std::string::npos) << info.out;

    const ToolRun copied = runTool(dir, {"copy", "-", "copy.mid"}, song);
    ASSERT_EQ(copied.status, 0) << copied.err;
    const ToolRun toOut = runTool(dir, {"copy", song, "-"});
    EXPECT_EQ(toOut.status, 0) << toOut.err;
    EXPECT_EQ(toOut.out, readText(dir.file("copy.mid")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("-")));

    const std::string font = platform::findSoundFont({}, platform::systemSoundFonts()).string();
    if (font.empty())
        GTEST_SKIP() << "no General MIDI SoundFont installed";
    const ToolRun toFile = runTool(dir, {"render", song, "song.wav", "--soundfont", font, "--gain", "-6"});
    ASSERT_EQ(toFile.status, 0) << toFile.err;
    const ToolRun audio = runTool(dir, {"render", song, "-", "--soundfont=" + font, "--gain=-6"});
    EXPECT_EQ(audio.status, 0) << audio.err;
    EXPECT_EQ(audio.out, readText(dir.file("song.wav"))) << "a WAV file with its sizes, and nothing else";
    EXPECT_NE(audio.err.find("Rendered 0:02.5 of audio to standard output"), std::string::npos) << audio.err;
    EXPECT_FALSE(std::filesystem::exists(dir.file("-")));
}

TEST(CommandLine, EveryCommandTellsItsUsageOnHelp)
{
    TempDir dir("cli-help");
    for (const char* command : {"info", "json", "text", "copy", "devices", "play", "render", "intonation"}) {
        for (const char* help : {"--help", "-h"}) {
            const ToolRun run = runTool(dir, {command, "a.mid", help});
            EXPECT_EQ(run.status, 0) << command << ' ' << run.err;
            EXPECT_EQ(run.out.rfind(std::string("Usage: orvelline-midi ") + command, 0), 0u) << run.out;
            EXPECT_EQ(run.err, "");
        }
    }
    const ToolRun all = runTool(dir, {"--help"});
    EXPECT_EQ(all.status, 0);
    EXPECT_NE(all.out.find("COMMAND --help"), std::string::npos) << all.out;
    // After "--" it is a file's name.
    const ToolRun file = runTool(dir, {"info", "--", "--help"});
    EXPECT_EQ(file.status, 1);
    EXPECT_EQ(file.err, "orvelline-midi: --help: No such file or directory\n");
}

TEST(CommandLine, EveryErrorLineBeginsWithTheProgramAndAMissingFileIsSaidAsMissing)
{
    TempDir dir("cli-errors");
    const std::string song = dir.file("song.mid");
    writeFile(song, noteSong());
    writeFile(dir.file("empty.mid"), smf(1, {{}}));
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string said;  // part of what is said, "" for any
    };
    const Case cases[] = {
        {{"info", "nope.mid"}, 1, "orvelline-midi: nope.mid: No such file or directory\n"},
        {{"render", song, "out.wav", "--soundfont", "/nope.sf2"}, 1, "orvelline-midi: /nope.sf2: No such file"},
        {{"copy", song, "/proc/song.mid"}, 1, "orvelline-midi: Couldn't create file /proc/song.mid: "},
        {{"intonation", song, song, "--track", "9"}, 1, "orvelline-midi: " + song + " has no track 9\n"},
        {{"intonation", "empty.mid", "-", "--track=0"}, 1, "holds no notes to score"},
        {{"text", song, "--tmies"}, 2, "text does not know the option '--tmies'"},
        {{"play", song, "--device"}, 2, "--device needs a number"},
        {{"info"}, 2, ""},
        {{"frobnicate"}, 2, ""},
        {{}, 2, ""},
    };
    for (const Case& c : cases) {
        const ToolRun run = runTool(dir, c.args, song);
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_TRUE(everyLineNamesTheProgram(run.err));
        EXPECT_NE(run.err.find(c.said), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }
}
