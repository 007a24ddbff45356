#include "platform/userfolders.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

using namespace platform;
namespace fs = std::filesystem;

namespace {

class ProgramFolders : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = fs::temp_directory_path() / ("orv-folders-" + std::to_string(getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(root / "program");
        setProgramFolder(root / "program");
        setUserFolder(root / "config" / "Orvelline");
    }
    void TearDown() override
    {
        setProgramFolder({});
        setUserFolder({});
        setWritableCheck({});
        fs::permissions(root / "program", fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(root);
    }

    fs::path root;
};

bool isSuperuser()
{
    return geteuid() == 0;
}

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

TEST(UserFolder, ComesFromTheEnvironmentUnlessSet)
{
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') {
        EXPECT_EQ(userFolder(), userFolderFor(std::getenv("XDG_CONFIG_HOME"), home));
    }
    setUserFolder("/elsewhere/Orvelline");
    EXPECT_EQ(userFolder(), fs::path("/elsewhere/Orvelline"));
    setUserFolder({});
    EXPECT_NE(userFolder(), fs::path("/elsewhere/Orvelline"));
}

TEST(ProgramFolder, IsTheExecutablesUntilTheApplicationHandsOneOver)
{
    EXPECT_EQ(programFolder(), fs::read_symlink("/proc/self/exe").parent_path());
    setProgramFolder("/opt/orvelline");
    EXPECT_EQ(programFolder(), fs::path("/opt/orvelline"));
    setProgramFolder({});
    EXPECT_EQ(programFolder(), fs::read_symlink("/proc/self/exe").parent_path());
}

TEST_F(ProgramFolders, AFolderIsWritableOnlyWhereAFileCanBeCreated)
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

TEST_F(ProgramFolders, AWritableProgramFolderKeepsEverythingBesideTheProgram)
{
    EXPECT_EQ(settingsFolder(), root / "program");
    EXPECT_EQ(extraFolders(), std::vector<fs::path>{root / "program"});
    EXPECT_FALSE(fs::exists(root / "config")) << "the per-user folder is not made for nothing";
}

TEST_F(ProgramFolders, AProgramFolderNobodyCanWriteSendsTheSettingsToThePerUserFolder)
{
    setProgramFolder("/proc");
    EXPECT_EQ(extraFolders(), (std::vector<fs::path>{"/proc", root / "config" / "Orvelline"}));
    EXPECT_FALSE(fs::exists(root / "config")) << "looking for pictures and fonts makes no folder";
    EXPECT_EQ(settingsFolder(), root / "config" / "Orvelline");
    EXPECT_TRUE(fs::is_directory(root / "config" / "Orvelline")) << "made when the settings need it";
}

TEST_F(ProgramFolders, AReadOnlyProgramFolderSendsTheSettingsToThePerUserFolder)
{
    fs::permissions(root / "program", fs::perms::owner_read | fs::perms::owner_exec, fs::perm_options::replace);
    if (isSuperuser()) {
        // The superuser writes through the permission bits; stand in for a user who cannot.
        EXPECT_EQ(settingsFolder(), root / "program");
        setWritableCheck([](const fs::path&) { return false; });
    }
    EXPECT_EQ(settingsFolder(), root / "config" / "Orvelline");
    EXPECT_EQ(extraFolders(), (std::vector<fs::path>{root / "program", root / "config" / "Orvelline"}));
}

TEST_F(ProgramFolders, TheDecisionIsMadeOncePerProgramFolder)
{
    int checks = 0;
    bool writable = true;
    setWritableCheck([&](const fs::path&) {
        ++checks;
        return writable;
    });
    EXPECT_EQ(settingsFolder(), root / "program");
    writable = false;
    EXPECT_EQ(settingsFolder(), root / "program") << "the settings never move within one run";
    extraFolders();
    EXPECT_EQ(checks, 1);

    fs::create_directories(root / "other");
    setProgramFolder(root / "other");
    EXPECT_EQ(settingsFolder(), root / "config" / "Orvelline");
    EXPECT_EQ(checks, 2);
}
