#include "tools/textcommand.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

// A file in the temporary folder that is removed with the object.
class TempFile {
public:
    TempFile(const std::string& tag, const std::vector<std::uint8_t>& bytes)
        : path_(std::filesystem::temp_directory_path() /
                ("orv-textcommand-" + tag + "-" + std::to_string(getpid()) + ".mid"))
    {
        std::ofstream f(path_, std::ios::binary);
        f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    ~TempFile() { std::filesystem::remove(path_); }
    std::string path() const { return path_.string(); }

private:
    std::filesystem::path path_;
};

}  // namespace

TEST(TextCommand, ListsEveryTrackWithItsEventTexts)
{
    const std::vector<std::uint8_t> file = {
        'M',  'T',  'h',  'd',  0x00, 0x00, 0x00, 0x06, 0x00, 0x01, 0x00, 0x02, 0x01, 0xE0, 'M',  'T',  'r',
        'k',  0x00, 0x00, 0x00, 0x20, 0x00, 0xFF, 0x03, 0x05, 'P',  'i',  'a',  'n',  'o',  0x00, 0xFF, 0x51,
        0x03, 0x07, 0xA1, 0x20, 0x00, 0xC0, 0x00, 0x00, 0x90, 0x3C, 0x64, 0x83, 0x60, 0x80, 0x3C, 0x40, 0x00,
        0xFF, 0x2F, 0x00, 'M',  'T',  'r',  'k',  0x00, 0x00, 0x00, 0x17, 0x00, 0xF0, 0x08, 0x43, 0x10, 0x4C,
        0x08, 0x00, 0x07, 0x02, 0xF7, 0x00, 0x99, 0x24, 0x64, 0x60, 0x89, 0x24, 0x00, 0x00, 0xFF, 0x2F, 0x00,
    };
    TempFile midi("listing", file);
    std::ostringstream out, err;

    EXPECT_EQ(runTextCommand(midi.path(), out, err), 0);
    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(out.str(), "Track 0 \"Piano\" [1] channels 1\n"
                         "Track Name:<Piano>\n"
                         "Tempo = 500000 usec/beat\n"
                         "Chn = 01 Prog Chg:Prog No   0 Acoustic Grand Piano\n"
                         "Chn = 01 Note ON:Key 060[ C 4] Vel = 100 Dur = 0480\n"
                         "Track 1 \"Track1\" [10] channels 10\n"
                         "Sysex:Length     8 = 43 10 4C 08 00 07 02 F7 Part1 PART MODE\n"
                         "Chn = 10 Note ON:Key 036[ C 2] Vel = 100 Dur = 0096\n");
}

TEST(TextCommand, ReportsUnreadableFilesOnTheErrorStream)
{
    TempFile notMidi("broken", {'M', 'T', 'h', 'x', 0x00, 0x00, 0x00, 0x06, 0x00, 0x00, 0x00, 0x01, 0x01, 0xE0});
    std::ostringstream out, err;
    EXPECT_EQ(runTextCommand(notMidi.path(), out, err), 1);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "orvelline-midi: " + notMidi.path() + ": Couldn't find MIDI Header block\n");

    std::ostringstream out2, err2;
    const std::string missing = (std::filesystem::temp_directory_path() / "orv-textcommand-no-such-file.mid").string();
    EXPECT_EQ(runTextCommand(missing, out2, err2), 1);
    EXPECT_EQ(out2.str(), "");
    EXPECT_NE(err2.str(), "");
}
