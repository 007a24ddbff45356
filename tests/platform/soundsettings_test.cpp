#include "platform/soundsettings.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

using namespace platform;
namespace fs = std::filesystem;

namespace {

OutputOptions readFrom(const std::string& text, std::vector<std::string>& problems)
{
    const fs::path path = fs::temp_directory_path() / ("orv-sound-" + std::to_string(getpid()) + ".ini");
    std::ofstream(path, std::ios::binary) << text;
    IniFile ini = IniFile::load(path);
    fs::remove(path);
    OutputOptions options;
    options.keepProcessorsAwake = KeepAwake::Always;
    readSoundSettings(ini, options);
    problems = ini.problems();
    return options;
}

}  // namespace

TEST(SoundSettings, TakesTheKeepAwakeChoiceAndRefusesAnUnknownOneByLine)
{
    std::vector<std::string> problems;
    EXPECT_EQ(readFrom("[Sound]\nKeepProcessorsAwake = never ; a laptop\n", problems).keepProcessorsAwake,
              KeepAwake::Never);
    EXPECT_TRUE(problems.empty());
    EXPECT_EQ(readFrom("[Sound]\nKeepProcessorsAwake=auto\n", problems).keepProcessorsAwake,
              KeepAwake::OnVirtualMachines);

    EXPECT_EQ(readFrom("[Window]\nmaximized=1\n", problems).keepProcessorsAwake, KeepAwake::Always)
        << "a missing key leaves the option as it was";
    EXPECT_TRUE(problems.empty());

    EXPECT_EQ(readFrom("[Sound]\n\nKeepProcessorsAwake=sometimes\n", problems).keepProcessorsAwake, KeepAwake::Always);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("line 3"), std::string::npos) << problems[0];
    EXPECT_NE(problems[0].find("'sometimes'"), std::string::npos) << problems[0];
}
