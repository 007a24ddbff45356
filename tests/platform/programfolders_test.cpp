#include "platform/programfolders.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

using namespace platform;
namespace fs = std::filesystem;

namespace {

class ProgramFolderChoice : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = fs::temp_directory_path() / ("orv-folders-" + std::to_string(getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(root / "program");
    }
    void TearDown() override
    {
        fs::permissions(root / "program", fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(root);
    }

    fs::path user() const { return root / "config" / "Orvelline"; }

    fs::path root;
};

bool isSuperuser()
{
    return geteuid() == 0;
}

const auto kNotWritable = [](const fs::path&) { return false; };

}  // namespace

TEST(UserFolder, FollowsXdgConfigHomeElseTheHomeFolder)
{
    EXPECT_EQ(userFolderFor("/srv/cfg", "/home/ada"), fs::path("/srv/cfg/Orvelline"));
    EXPECT_EQ(userFolderFor(nullptr, "/home/ada"), fs::path("/home/ada/.config/Orvelline"));
    EXPECT_EQ(userFolderFor("", "/home/ada"), fs::path("/home/ada/.config/Orvelline"));
    EXPECT_EQ(userFolderFor("cfg", "/home/ada"), fs::path("/home/ada/.config/Orvelline"))
        << "a relative XDG_CONFIG_HOME is ignored";
    EXPECT_EQ(userFolderFor(nullptr, nullptr), fs::path());
    EXPECT_EQ(userFolderFor(nullptr, "home/ada"), fs::path());
}

TEST(UserFolder, TheRunningProgramsFoldersComeFromItsExecutableAndEnvironment)
{
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') {
        EXPECT_EQ(userFolderFromEnvironment(), userFolderFor(std::getenv("XDG_CONFIG_HOME"), home));
    }
    EXPECT_EQ(executableFolder(), fs::read_symlink("/proc/self/exe").parent_path());
    EXPECT_EQ(ProgramFolders::ofThisProcess().program(), executableFolder());
    EXPECT_EQ(ProgramFolders::ofThisProcess("/opt/orvelline").program(), fs::path("/opt/orvelline"));
    EXPECT_EQ(ProgramFolders::ofThisProcess().user(), userFolderFromEnvironment());
}

TEST_F(ProgramFolderChoice, AFolderIsWritableOnlyWhereAFileCanBeCreated)
{
    EXPECT_TRUE(isWritableFolder(root / "program"));
    EXPECT_TRUE(fs::is_empty(root / "program")) << "the test file is removed again";
    EXPECT_FALSE(isWritableFolder(root / "missing"));
    std::ofstream(root / "file") << "x";
    EXPECT_FALSE(isWritableFolder(root / "file"));
    // Not even the superuser can create a file here.
    EXPECT_FALSE(isWritableFolder("/proc"));

    fs::permissions(root / "program", fs::perms::owner_read | fs::perms::owner_exec, fs::perm_options::replace);
    EXPECT_EQ(isWritableFolder(root / "program"), isSuperuser())
        << "read-only permission bits stop everyone but the superuser";
}

TEST_F(ProgramFolderChoice, AWritableProgramFolderKeepsEverythingBesideTheProgram)
{
    const ProgramFolders folders = ProgramFolders::decide(root / "program", user());
    EXPECT_EQ(folders.settingsFolder(), root / "program");
    EXPECT_EQ(folders.extraFolders(), std::vector<fs::path>{root / "program"});
    EXPECT_FALSE(fs::exists(root / "config")) << "the per-user folder is not made for nothing";
}

TEST_F(ProgramFolderChoice, AProgramFolderNobodyCanWriteSendsTheSettingsToThePerUserFolder)
{
    const ProgramFolders folders = ProgramFolders::decide("/proc", user());
    EXPECT_EQ(folders.extraFolders(), (std::vector<fs::path>{"/proc", user()}));
    EXPECT_FALSE(fs::exists(root / "config")) << "looking for pictures and fonts makes no folder";
    EXPECT_EQ(folders.settingsFolder(), user());
    EXPECT_TRUE(fs::is_directory(user())) << "made when the settings need it";
}

TEST_F(ProgramFolderChoice, AReadOnlyProgramFolderSendsTheSettingsToThePerUserFolder)
{
    fs::permissions(root / "program", fs::perms::owner_read | fs::perms::owner_exec, fs::perm_options::replace);
    // The superuser writes through the permission bits; a check that answers
    // false stands in for a user who cannot.
    const ProgramFolders folders = isSuperuser() ? ProgramFolders::decide(root / "program", user(), kNotWritable)
                                                 : ProgramFolders::decide(root / "program", user());
    EXPECT_EQ(folders.settingsFolder(), user());
    EXPECT_EQ(folders.extraFolders(), (std::vector<fs::path>{root / "program", user()}));
}

TEST_F(ProgramFolderChoice, WithoutAPerUserFolderTheProgramFolderIsKept)
{
    const ProgramFolders folders = ProgramFolders::decide(root / "program", {}, kNotWritable);
    EXPECT_EQ(folders.settingsFolder(), root / "program");
    EXPECT_EQ(folders.extraFolders(), std::vector<fs::path>{root / "program"});
}

TEST_F(ProgramFolderChoice, TheDecisionIsMadeOnceWhenTheFoldersAreMade)
{
    int checks = 0;
    bool writable = true;
    const ProgramFolders folders = ProgramFolders::decide(root / "program", user(), [&](const fs::path& folder) {
        ++checks;
        EXPECT_EQ(folder, root / "program");
        return writable;
    });
    EXPECT_EQ(checks, 1);
    writable = false;
    EXPECT_EQ(folders.settingsFolder(), root / "program") << "the settings never move within one run";
    folders.extraFolders();
    const ProgramFolders copy = folders;
    EXPECT_EQ(copy.settingsFolder(), root / "program");
    EXPECT_EQ(checks, 1);
}
