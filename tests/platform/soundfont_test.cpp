#include "platform/programfolders.h"
#include "platform/soundfont.h"

#include <gtest/gtest.h>

#include <fstream>
#include <unistd.h>

using namespace platform;
namespace fs = std::filesystem;

namespace {

class SoundFontSearch : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = fs::temp_directory_path() / ("orv-sf-" + std::to_string(getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(root / "program");
        fs::create_directories(root / "system");
    }
    void TearDown() override { fs::remove_all(root); }

    fs::path touch(const fs::path& file)
    {
        std::ofstream(file) << "RIFF";
        return file;
    }

    fs::path root;
};

}  // namespace

TEST_F(SoundFontSearch, TakesTheFirstFontOfTheProgramFolderByName)
{
    touch(root / "program" / "readme.txt");
    touch(root / "program" / "zeta.sf2");
    touch(root / "program" / "beta.SF3");
    touch(root / "program" / "gamma.sf2");
    fs::create_directories(root / "program" / "alpha.sf2");  // a folder, not a font
    EXPECT_EQ(firstSoundFontIn(root / "program"), root / "program" / "beta.SF3");
}

TEST_F(SoundFontSearch, FindsNothingInAnEmptyOrMissingFolder)
{
    touch(root / "program" / "notes.sf2.txt");
    EXPECT_EQ(firstSoundFontIn(root / "program"), fs::path());
    EXPECT_EQ(firstSoundFontIn(root / "missing"), fs::path());
}

TEST_F(SoundFontSearch, PrefersTheFoldersInTurnThenTheSystemFontsInOrder)
{
    fs::create_directories(root / "user");
    const fs::path folders[] = {root / "program", root / "user"};
    const fs::path system[] = {root / "system" / "default-GM.sf2", root / "system" / "default-GM.sf3",
                               root / "system" / "FluidR3_GM.sf2", root / "system" / "TimGM6mb.sf2"};
    EXPECT_EQ(findSoundFont(folders, system), fs::path());

    touch(system[3]);
    EXPECT_EQ(findSoundFont(folders, system), system[3]);
    touch(system[2]);
    EXPECT_EQ(findSoundFont(folders, system), system[2]) << "FluidR3 comes before TimGM6mb";
    touch(system[1]);
    EXPECT_EQ(findSoundFont(folders, system), system[1]);
    touch(system[0]);
    EXPECT_EQ(findSoundFont(folders, system), system[0]);

    const fs::path users = touch(root / "user" / "a-users.sf2");
    EXPECT_EQ(findSoundFont(folders, system), users);
    const fs::path own = touch(root / "program" / "mine.sf3");
    EXPECT_EQ(findSoundFont(folders, system), own) << "the first folder wins, whatever the names";
    EXPECT_EQ(findSoundFont({}, system), system[0]) << "no folders, no search there";
}

TEST_F(SoundFontSearch, ListsTheSystemFontsFromDefaultToTimGM6mb)
{
    const std::span<const fs::path> fonts = systemSoundFonts();
    ASSERT_GE(fonts.size(), 4u);
    EXPECT_EQ(fonts[0], "/usr/share/sounds/sf2/default-GM.sf2");
    EXPECT_EQ(fonts[1], "/usr/share/sounds/sf3/default-GM.sf3");
    std::ptrdiff_t fluid = -1;
    std::ptrdiff_t tim = -1;
    for (std::size_t i = 0; i < fonts.size(); ++i) {
        if (fonts[i].filename() == "FluidR3_GM.sf2" && fluid < 0)
            fluid = std::ptrdiff_t(i);
        if (fonts[i].filename() == "TimGM6mb.sf2" && tim < 0)
            tim = std::ptrdiff_t(i);
    }
    EXPECT_GT(fluid, 1);
    EXPECT_GT(tim, fluid);
}

TEST_F(SoundFontSearch, UsesTheProgramFolderAndAnExplicitChoiceFirst)
{
    const std::vector<fs::path> folders = ProgramFolders::decide(root / "program", root / "user").extraFolders();
    const fs::path own = touch(root / "program" / "own.sf2");
    EXPECT_EQ(soundFontToUse({}, folders), own);

    EXPECT_EQ(soundFontToUse(root / "chosen.sf2", folders), root / "chosen.sf2")
        << "a chosen font is never swapped for another";
}

TEST_F(SoundFontSearch, AnInstalledCopyAlsoLooksInThePerUserFolder)
{
    fs::create_directories(root / "user");
    const fs::path users = touch(root / "user" / "users.sf2");
    const auto writable = [](const fs::path&) { return true; };
    EXPECT_NE(soundFontToUse({}, ProgramFolders::decide(root / "program", root / "user", writable).extraFolders()),
              users)
        << "a copy in a writable folder looks beside itself only";

    const auto readOnly = [](const fs::path&) { return false; };
    const std::vector<fs::path> installed =
        ProgramFolders::decide(root / "program", root / "user", readOnly).extraFolders();
    EXPECT_EQ(soundFontToUse({}, installed), users);
    const fs::path own = touch(root / "program" / "zz-own.sf2");
    EXPECT_EQ(soundFontToUse({}, installed), own) << "the program's own font comes first";
}
