#include "platform/inifile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

using platform::IniFile;
namespace fs = std::filesystem;

namespace {

fs::path writeIni(const std::string& name, const std::string& text)
{
    const fs::path path = fs::temp_directory_path() / ("orv-ini-" + std::to_string(getpid()) + "-" + name);
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

std::string readAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace

TEST(IniFile, ReadsValuesWithCommentsAndReportsEachBadLineByNumber)
{
    const fs::path path = writeIni("read.ini", "; settings\r\n"
                                               "[Correction]\r\n"
                                               "strength=100        ; 0..100\n"
                                               "scale = major\n"
                                               "glide_ms=fast\n"
                                               "this is not a key\n"
                                               "[Window]\n"
                                               "maximized=1\n");
    IniFile ini = IniFile::load(path);
    EXPECT_EQ(ini.value("Correction", "strength"), "100");
    EXPECT_EQ(ini.value("Correction", "scale"), "major");
    EXPECT_EQ(ini.intValue("Correction", "strength", 0, 100), 100);
    EXPECT_EQ(ini.intValue("Correction", "glide_ms", 0, 500), std::nullopt);
    EXPECT_EQ(ini.intValue("Window", "maximized", 0, 1), 1);
    EXPECT_EQ(ini.value("Window", "strength"), std::nullopt);
    EXPECT_EQ(ini.intValue("Correction", "missing", 0, 1), std::nullopt);

    ASSERT_EQ(ini.problems().size(), 2U);
    EXPECT_NE(ini.problems()[0].find("line 6"), std::string::npos) << ini.problems()[0];
    EXPECT_NE(ini.problems()[1].find("line 5"), std::string::npos) << ini.problems()[1];
    EXPECT_NE(ini.problems()[1].find("glide_ms"), std::string::npos);
    fs::remove(path);
}

TEST(IniFile, OutOfRangeNumbersAreRefused)
{
    const fs::path path = writeIni("range.ini", "[C]\na=101\nb=-1\nc=12x\nd=\ne=0\n");
    IniFile ini = IniFile::load(path);
    EXPECT_EQ(ini.intValue("C", "a", 0, 100), std::nullopt);
    EXPECT_EQ(ini.intValue("C", "b", 0, 100), std::nullopt);
    EXPECT_EQ(ini.intValue("C", "c", 0, 100), std::nullopt);
    EXPECT_EQ(ini.intValue("C", "d", 0, 100), std::nullopt);
    EXPECT_EQ(ini.intValue("C", "e", 0, 100), 0);
    EXPECT_EQ(ini.problems().size(), 4U);
    fs::remove(path);
}

TEST(IniFile, SavingKeepsCommentsAndOrderAndAddsNewKeysToTheirSection)
{
    const fs::path path = writeIni("save.ini", "; mine\n"
                                               "[Correction]\n"
                                               "strength=100        ; 0..100\n"
                                               "\n"
                                               "[Window]\n"
                                               "maximized=0\n");
    IniFile ini = IniFile::load(path);
    ini.setValue("Correction", "strength", "50");
    ini.setValue("Correction", "glide_ms", "20");
    ini.setValue("Window", "maximized", "1");
    ini.setValue("Practice", "tempo", "80");
    ASSERT_TRUE(ini.save());
    EXPECT_EQ(readAll(path), "; mine\n"
                             "[Correction]\n"
                             "strength=50         ; 0..100\n"
                             "glide_ms=20\n"
                             "\n"
                             "[Window]\n"
                             "maximized=1\n"
                             "\n"
                             "[Practice]\n"
                             "tempo=80\n");
    IniFile again = IniFile::load(path);
    EXPECT_EQ(again.intValue("Correction", "strength", 0, 100), 50);
    EXPECT_EQ(again.intValue("Practice", "tempo", 50, 150), 80);
    EXPECT_TRUE(again.problems().empty());
    fs::remove(path);
}

TEST(IniFile, AMissingFileIsEmptyAndIsCreatedOnSave)
{
    const fs::path path = fs::temp_directory_path() / ("orv-ini-" + std::to_string(getpid()) + "-new.ini");
    fs::remove(path);
    IniFile ini = IniFile::load(path);
    EXPECT_TRUE(ini.problems().empty());
    EXPECT_EQ(ini.value("Correction", "scale"), std::nullopt);
    ini.setValue("Correction", "scale", "blues");
    ASSERT_TRUE(ini.save());
    EXPECT_EQ(readAll(path), "[Correction]\nscale=blues\n");
    fs::remove(path);
}
