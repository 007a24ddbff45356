#include "perform/correctionsettings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

class CorrectionSettingsFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = std::filesystem::temp_directory_path() /
               ("orv-correction-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".ini");
    }
    void TearDown() override { std::filesystem::remove(path); }

    platform::IniFile write(const std::string& text)
    {
        std::ofstream(path, std::ios::binary) << text;
        return platform::IniFile::load(path);
    }

    std::filesystem::path path;
};

}  // namespace

TEST_F(CorrectionSettingsFile, ReadsTheThreeKeysWithTheirComments)
{
    platform::IniFile ini =
        write("[Correction]\nstrength=75        ; 0..100\nscale=Harmonic-Minor ; a scale\nglide_ms=120\n");
    EXPECT_EQ(ReadCorrectionSettings(ini), (CorrectionSettings{75, ScaleKind::HarmonicMinor, 120}));
    EXPECT_TRUE(ini.problems().empty());
}

TEST_F(CorrectionSettingsFile, ABadKeyCostsThatKeyAloneWithOneProblemNamingFileAndLine)
{
    platform::IniFile ini = write("[Other]\nscale=blues\n[Correction]\nstrength=101\nscale=lydian\nglide_ms=250\n");
    EXPECT_EQ(ReadCorrectionSettings(ini), (CorrectionSettings{0, ScaleKind::Chromatic, 250}));
    ASSERT_EQ(ini.problems().size(), 2u);
    const std::string name = path.filename().string();
    EXPECT_EQ(ini.problems()[0].rfind(name + ", line 4: strength", 0), 0u) << ini.problems()[0];
    EXPECT_EQ(ini.problems()[1].rfind(name + ", line 5: scale", 0), 0u) << ini.problems()[1];

    platform::IniFile missing = platform::IniFile::load(path.string() + ".absent");
    EXPECT_EQ(ReadCorrectionSettings(missing), CorrectionSettings{});
    EXPECT_TRUE(missing.problems().empty());
}

TEST_F(CorrectionSettingsFile, WrittenSettingsReadBackAndUnchangedKeysKeepTheirText)
{
    platform::IniFile ini = write("[Practice]\nloops=3\n[Correction]\nglide_ms=fast\n");
    const CorrectionSettings read = ReadCorrectionSettings(ini);
    WriteCorrectionSettings(ini, {25, ScaleKind::WholeTone, read.glideMs}, read);
    ASSERT_TRUE(ini.save());
    platform::IniFile again = platform::IniFile::load(path);
    EXPECT_EQ(ReadCorrectionSettings(again), (CorrectionSettings{25, ScaleKind::WholeTone, 0}));
    EXPECT_EQ(again.value("Correction", "glide_ms"), "fast");
    EXPECT_EQ(again.value("Practice", "loops"), "3");
}
