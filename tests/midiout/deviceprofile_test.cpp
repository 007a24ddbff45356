#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "capturedgateway.h"
#include "platform/programfolders.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kVersionMessage = "Illegal data version.  Get latest version of MIDI Vellamondo.";

class DeviceProfile : public CapturedGateway {
protected:
    void SetUp() override
    {
        CapturedGateway::SetUp();
        root = fs::temp_directory_path() / ("orv-profile-" + std::to_string(getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        fs::create_directories(root);
        folder = (root / "prog").string() + "/";
        fs::create_directories(folder);
        gateway->SetFolder(folder);
    }

    void TearDown() override
    {
        CapturedGateway::TearDown();
        fs::remove_all(root);
    }

    static void write(const fs::path& file, const std::string& text) { std::ofstream(file, std::ios::binary) << text; }
    static std::string read(const fs::path& file)
    {
        std::ifstream in(file, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    fs::path root;
    std::string folder;
};

// Restores the current folder even when an assertion ends the test early.
struct CurrentFolder {
    explicit CurrentFolder(const fs::path& to) : saved(fs::current_path()) { fs::current_path(to); }
    ~CurrentFolder() { fs::current_path(saved); }
    fs::path saved;
};

}  // namespace

TEST_F(DeviceProfile, WritesSixCrLfLinesAndReadsPlaceAndDeviceBack)
{
    gateway->Place = {12, 34, 500, 300};
    gateway->DeviceID = 1;
    ASSERT_TRUE(gateway->SaveProfile());
    EXPECT_EQ(read(fs::path(folder) / "device.prf"), "0000\r\n12\r\n34\r\n500\r\n300\r\n1\r\n");
    EXPECT_FALSE(fs::exists(fs::path(folder) / "device.prf.part"));

    MidiGateway fresh;
    fresh.SetFolder(folder);
    fresh.LoadProfile();
    EXPECT_EQ(fresh.DeviceID, 1);
    EXPECT_EQ(fresh.Place.top, 12);
    EXPECT_EQ(fresh.Place.left, 34);
    // The window keeps its designed size.
    EXPECT_EQ(fresh.Place.width, 451);
    EXPECT_EQ(fresh.Place.height, 295);
    EXPECT_TRUE(sink.texts().empty());
}

TEST_F(DeviceProfile, StartOpensTheRememberedDevice)
{
    write(fs::path(folder) / "device.prf", "0000\n5\n6\n451\n295\n1\n");  // bare LF ends are read too
    EXPECT_TRUE(gateway->Start());
    EXPECT_EQ(gateway->DeviceID, 1);
    EXPECT_EQ(gateway->Place.top, 5);
    EXPECT_TRUE(gateway->isOpen());
    EXPECT_GE(gateway->TimeCaps.periodMin, 1u);
}

TEST_F(DeviceProfile, StartWithAMissingDeviceReportsItAndAnswersFalse)
{
    write(fs::path(folder) / "device.prf", "0000\r\n1\r\n2\r\n3\r\n4\r\n3\r\n");
    EXPECT_FALSE(gateway->Start());
    EXPECT_FALSE(gateway->isOpen());
    EXPECT_EQ(sink.texts(), std::vector<std::string>{platform::midiOutGetErrorText(platform::MidiBadDeviceId)});
}

TEST_F(DeviceProfile, NewerVersionIsRefusedAndTheDefaultRouteOpened)
{
    write(fs::path(folder) / "device.prf", "1\r\n10\r\n20\r\n451\r\n295\r\n1\r\n");
    EXPECT_TRUE(gateway->Start());
    EXPECT_EQ(sink.texts(), std::vector<std::string>{kVersionMessage});
    EXPECT_EQ(gateway->DeviceID, -1);
    EXPECT_EQ(gateway->Place.top, 109);
    EXPECT_EQ(log->opens(), 1);
}

TEST_F(DeviceProfile, BrokenProfileIsReportedOnceAndLeavesTheDefaults)
{
    const std::vector<std::string> broken = {
        "",
        "0000\r\n1\r\n2\r\n",
        "0000\r\n1\r\nleft\r\n3\r\n4\r\n0\r\n",
        "0000\r\n1\r\n2\r\n3\r\n4\r\n1x\r\n",
        "zero\r\n1\r\n2\r\n3\r\n4\r\n1\r\n",
        "0000\r\n1\r\n2\r\n3\r\n4\r\n99999999999\r\n",
    };
    for (const std::string& text : broken) {
        SCOPED_TRACE(text);
        write(fs::path(folder) / "device.prf", text);
        MidiGateway other;
        other.SetFolder(folder);
        const std::size_t before = sink.texts().size();
        other.LoadProfile();
        ASSERT_EQ(sink.texts().size(), before + 1);
        EXPECT_NE(sink.texts().back().find("device.prf"), std::string::npos);
        EXPECT_EQ(other.DeviceID, -1);
        EXPECT_EQ(other.Place.top, 109);
        EXPECT_EQ(other.Place.left, 200);
    }
}

TEST_F(DeviceProfile, ReadsFromTheProgramFolderNotTheCurrentOne)
{
    const fs::path elsewhere = root / "elsewhere";
    fs::create_directories(elsewhere);
    write(elsewhere / "device.prf", "0000\r\n1\r\n2\r\n3\r\n4\r\n1\r\n");
    CurrentFolder cwd(elsewhere);

    gateway->LoadProfile();
    EXPECT_EQ(gateway->DeviceID, -1);

    write(fs::path(folder) / "device.prf", "0000\r\n1\r\n2\r\n3\r\n4\r\n0\r\n");
    gateway->LoadProfile();
    EXPECT_EQ(gateway->DeviceID, 0);
    EXPECT_TRUE(sink.texts().empty());
}

TEST_F(DeviceProfile, WithoutAFolderUsesTheRunningProgramsFolderForBothWays)
{
    // The running program is this test: its folder must be its own to write,
    // never the per-user folder of whoever runs the tests.
    if (!platform::isWritableFolder(platform::executableFolder()))
        GTEST_SKIP() << "the tests' own folder cannot be written";
    const fs::path profile = platform::executableFolder() / "device.prf";
    if (fs::exists(profile))
        GTEST_SKIP() << profile << " is there already and is not this test's to replace";
    struct RemovedAfterwards {
        fs::path file;
        ~RemovedAfterwards() { fs::remove(file); }
    } cleanup{profile};
    CurrentFolder here(root);
    gateway->SetFolder("");
    gateway->DeviceID = 1;
    ASSERT_TRUE(gateway->SaveProfile());
    EXPECT_TRUE(fs::exists(profile));
    EXPECT_FALSE(fs::exists(root / "device.prf")) << "never the working folder";

    MidiGateway fresh;
    fresh.LoadProfile();
    EXPECT_EQ(fresh.DeviceID, 1);
}

TEST_F(DeviceProfile, FailedWriteIsReportedAndLeavesNoTemporaryFile)
{
    gateway->SetFolder((root / "missing").string() + "/");
    EXPECT_FALSE(gateway->SaveProfile());
    ASSERT_EQ(sink.texts().size(), 1u);
    EXPECT_EQ(sink.texts()[0].rfind("Couldn't create file ", 0), 0u);

    // A folder in the profile's place cannot be replaced by a file.
    fs::create_directories(fs::path(folder) / "device.prf" / "inside");
    gateway->SetFolder(folder);
    EXPECT_FALSE(gateway->SaveProfile());
    ASSERT_EQ(sink.texts().size(), 2u);
    EXPECT_EQ(sink.texts()[1].rfind("Couldn't write file ", 0), 0u);
    EXPECT_FALSE(fs::exists(fs::path(folder) / "device.prf.part"));
}
