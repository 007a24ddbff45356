#include "platform/inifile.h"

#include "mididata/messagesink.h"

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

TEST(IniFile, ReadsLfCrLfAndCrLineEndsAndAByteOrderMarkAndWritesBackWhatTheFileHad)
{
    for (const char* start : {"", "\xEF\xBB\xBF"}) {
        for (const char* end : {"\n", "\r\n", "\r"}) {
            const auto text = [&](const char* y) {
                return std::string(start) + "; first line a comment" + end + "[A]" + end + "x=1" + end + "[B]" + end +
                       "y=" + y + end;
            };
            const fs::path path = writeIni("ends.ini", text("2"));
            IniFile ini = IniFile::load(path);
            EXPECT_EQ(ini.value("A", "x"), "1") << testing::PrintToString(std::string(start) + end);
            EXPECT_EQ(ini.value("B", "y"), "2") << testing::PrintToString(std::string(start) + end);
            EXPECT_TRUE(ini.problems().empty());
            ini.setValue("B", "y", "3");
            ASSERT_TRUE(ini.save());
            EXPECT_EQ(readAll(path), text("3"));
            fs::remove(path);
        }
    }
}

TEST(IniFile, AnOverlongLineIsOneBadLineKeptAsItIsAndABadValueIsQuotedShort)
{
    const std::string huge = "glide_ms=" + std::string(1 << 20, '1');
    const fs::path path = writeIni("long.ini", "[C]\n" + huge + "\nstrength=" + std::string(1000, 'x') + "\n");
    IniFile ini = IniFile::load(path);
    ASSERT_EQ(ini.problems().size(), 1U);
    EXPECT_EQ(ini.problems()[0], path.filename().string() + ", line 2: longer than 4096 characters");
    EXPECT_EQ(ini.value("C", "glide_ms"), std::nullopt);
    EXPECT_EQ(ini.intValue("C", "strength", 0, 100), std::nullopt);
    ASSERT_EQ(ini.problems().size(), 2U);
    EXPECT_LT(ini.problems()[1].size(), 200U) << ini.problems()[1];
    EXPECT_NE(ini.problems()[1].find("'xxxx"), std::string::npos) << ini.problems()[1];

    ini.setValue("C", "strength", "50");
    ASSERT_TRUE(ini.save());
    EXPECT_EQ(readAll(path), "[C]\n" + huge + "\nstrength=50\n");
    fs::remove(path);
}

TEST(IniFile, EscapedValuesReadBackExactlyAndPlainOnesAsBefore)
{
    const std::vector<std::string> names = {"/m/Song #2.mid",    "/m/a ;b",    "/m/x\n[Correction]\nstrength=0.mid",
                                            "/m/back\\slash\\n", " /m/edges ", std::string("/m/\x01\x7f\r\t", 7)};
    const fs::path path = writeIni("escape.ini", "");
    IniFile ini = IniFile::load(path);
    for (std::size_t i = 0; i < names.size(); ++i)
        ini.setValue("RecentFiles", "file" + std::to_string(i), IniFile::escape(names[i]));
    ini.setValue("Raw", "unescaped", "a\nb");
    ASSERT_TRUE(ini.save());
    IniFile again = IniFile::load(path);
    EXPECT_TRUE(again.problems().empty());
    EXPECT_EQ(again.value("Correction", "strength"), std::nullopt) << readAll(path);
    for (std::size_t i = 0; i < names.size(); ++i)
        EXPECT_EQ(IniFile::unescape(again.value("RecentFiles", "file" + std::to_string(i)).value_or("")), names[i]);
    EXPECT_EQ(IniFile::unescape(again.value("Raw", "unescaped").value_or("")), "a\nb");

    EXPECT_EQ(IniFile::unescape("/home/me/C:\\songs\\a b.mid"), "/home/me/C:\\songs\\a b.mid");
    fs::remove(path);
}

TEST(IniFile, AFileItsOwnerProtectedIsNotReplacedAndTheChangesAreKept)
{
    const std::string text = "[Window]\r\nmaximized=0\r\n";
    const fs::path path = writeIni("protected.ini", text);
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    IniFile ini = IniFile::load(path);
    ini.setValue("Window", "maximized", "1");
    std::vector<std::string> said;
    MessageSink previous = setMessageSink([&said](const std::string& m) { said.push_back(m); });
    EXPECT_FALSE(ini.save());
    setMessageSink(std::move(previous));
    ASSERT_EQ(said.size(), 1U);
    EXPECT_NE(said[0].find("read-only"), std::string::npos) << said[0];
    EXPECT_EQ(readAll(path), text);
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_EQ(ini.value("Window", "maximized"), "1");
    fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
    EXPECT_TRUE(ini.save());
    EXPECT_EQ(readAll(path), "[Window]\r\nmaximized=1\r\n");
    fs::remove(path);
}
