#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "mididata/smf_test_support.h"
#include "mididata/song.h"
#include "midispec/midispec.h"
#include "tools/copycommand.h"
#include "tools/songinfo.h"
#include "tools/songjson.h"

using namespace smftest;

namespace {

// Two tracks: tempo, key, meter and a copyright in the first, a note and a
// second copyright in the second.
Bytes smallFile()
{
    return smf(1, {
                      {0x00, 0xFF, 0x03, 0x09, 'C',  'o',  'n',  'd',  'u',  'c',  't',  'o',  'r',
                       0x00, 0xFF, 0x02, 0x01, 'A',  0x00, 0xFF, 0x51, 0x03, 0x09, 0x27, 0xC0, 0x00,
                       0xFF, 0x59, 0x02, 0xFD, 0x01, 0x00, 0xFF, 0x58, 0x04, 0x03, 0x02, 0x18, 0x08},
                      {0x00, 0xFF, 0x02, 0x03, 'B', '"', 'C', 0x00, 0x91, 0x3C, 0x64, 0x83, 0x60, 0x81, 0x3C, 0x40},
                  });
}

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// Brackets and braces pair up outside strings, and strings close.
bool balancedJson(const std::string& text)
{
    std::string open;
    bool inString = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                inString = false;
            continue;
        }
        if (c == '"')
            inString = true;
        else if (c == '{' || c == '[')
            open += c;
        else if (c == '}' || c == ']') {
            if (open.empty() || open.back() != (c == '}' ? '{' : '['))
                return false;
            open.pop_back();
        }
    }
    return open.empty() && !inString;
}

}  // namespace

TEST(Tools, JsonShowsTheSongAsTheReaderLeavesIt)
{
    TempDir dir("tools-json");
    const std::string path = dir.file("small.mid");
    writeFile(path, smallFile());
    std::ostringstream out, err;
    ASSERT_EQ(runJsonCommand(path, out, err), 0);
    EXPECT_EQ(err.str(), "");
    const std::string json = out.str();
    EXPECT_TRUE(balancedJson(json)) << json;
    for (const char* field :
         {"\"format\":1,", "\"division\":480,", "\"trackCount\":2,", "\"songLength\":480,", "\"firstNoteTime\":0,",
          "\"resetFlags\":0,", "\"tempoAt0\":600000,", "\"keyAt1\":{\"sf\":-3,\"mode\":1}", "\"barStarts\":2,",
          "\"copyright\":\"A B\\\"C\"", "\"name\":\"Conductor\"", "\"label\":\"[2]\"", "\"channels\":[1]", "\"key\":60",
          "\"velocity\":100", "\"duration\":480", "\"metaType\":81,\"data\":[9,39,192]"})
        EXPECT_TRUE(contains(json, field)) << field << "\n" << json;
    EXPECT_FALSE(contains(json, "\"kind\":7")) << "note-offs are folded into durations";

    std::ostringstream out2, err2;
    EXPECT_EQ(runJsonCommand(dir.file("missing.mid"), out2, err2), 1);
    EXPECT_EQ(out2.str(), "");
    EXPECT_NE(err2.str(), "");
}

TEST(Tools, InfoSummarisesFormatTracksTempoAndKey)
{
    TempDir dir("tools-info");
    const std::string path = dir.file("small.mid");
    writeFile(path, smallFile());
    std::ostringstream out, err;
    ASSERT_EQ(runInfoCommand(path, out, err), 0);
    EXPECT_EQ(err.str(), "");
    const std::string info = out.str();
    for (const std::string& line :
         {std::string("Format:   1\n"), std::string("Division: 480 "), std::string("Tempo:    600000 "),
          std::string("Tracks:   2 in the file\n"), std::string("Key:      ") + KeyName(-3, 1) + "\n",
          std::string("Resets:   none\n"), std::string("Length:   480 ticks, 0.600 s\n")})
        EXPECT_TRUE(contains(info, line)) << line << "\n" << info;
    EXPECT_TRUE(contains(info, "Conductor"));

    writeFile(path, {'M', 'T', 'h', 'x'});
    std::ostringstream out2, err2;
    EXPECT_EQ(runInfoCommand(path, out2, err2), 1);
    EXPECT_EQ(err2.str(), "orvelline-midi: " + path + ": Couldn't find MIDI Header block\n");
}

TEST(Tools, CopyWritesAFileThatReadsBackAsTheSameSong)
{
    TempDir dir("tools-copy");
    const std::string in = dir.file("in.mid");
    const std::string outPath = dir.file("out.mid");
    writeFile(in, richFile());
    std::ostringstream err;
    ASSERT_EQ(runCopyCommand(in, outPath, err), 0);
    EXPECT_EQ(err.str(), "");
    midiSong original, copy;
    original.load(in);
    copy.load(outPath);
    EXPECT_EQ(describeSong(copy), describeSong(original));

    // Copying the copy changes nothing more.
    const std::string again = dir.file("again.mid");
    ASSERT_EQ(runCopyCommand(outPath, again, err), 0);
    EXPECT_EQ(readFile(again), readFile(outPath));
}

// An editor's velocity of 204 and controller value of 128: said once on
// standard error, shown as they are, and copied as they are.
TEST(Tools, DataBytesOver127AreSaidOnceShownAndCopiedAsTheyAre)
{
    TempDir dir("tools-high-bytes");
    const std::string in = dir.file("in.mid"), outPath = dir.file("out.mid");
    writeFile(in, smf(1, {{0x00, 0x90, 0x3C, 0xCC, 0x00, 0x3E, 0xCC, 0x00, 0xB0, 0x07, 0x80, 0x83, 0x60, 0x90, 0x3C,
                           0x00, 0x00, 0x3E, 0x00}}));
    const std::string said = "orvelline-midi: " + in +
                             ": holds 3 data bytes above 127, kept as read and sent to a "
                             "device as 127\n";
    std::ostringstream json, jsonErr;
    ASSERT_EQ(runJsonCommand(in, json, jsonErr), 0);
    EXPECT_EQ(jsonErr.str(), said);
    EXPECT_NE(json.str().find("\"velocity\":204"), std::string::npos) << json.str();
    EXPECT_NE(json.str().find("\"value\":128"), std::string::npos) << json.str();

    std::ostringstream err;
    ASSERT_EQ(runCopyCommand(in, outPath, err), 0);
    EXPECT_EQ(err.str(), said);
    EXPECT_EQ(readFile(outPath), readFile(in)) << "the file was already written as the writer writes";
}

TEST(Tools, CopyFailsWhenTheInputCannotBeRead)
{
    TempDir dir("tools-copy-in");
    const std::string outPath = dir.file("out.mid");
    {
        std::ostringstream err;
        EXPECT_EQ(runCopyCommand(dir.file("missing.mid"), outPath, err), 1);
        EXPECT_NE(err.str(), "");
    }
    {
        const std::string broken = dir.file("broken.mid");
        writeFile(broken, join({header(1, 1), chunk({0x00, 0x40})}));
        std::ostringstream err;
        EXPECT_EQ(runCopyCommand(broken, outPath, err), 1);
        EXPECT_EQ(err.str(), "orvelline-midi: " + broken + ": Data chunk may be broken\n");
    }
    {
        std::ostringstream err;
        EXPECT_EQ(runCopyCommand(dir.path().string(), outPath, err), 1);
        EXPECT_NE(err.str(), "");
    }
    EXPECT_FALSE(std::filesystem::exists(outPath));
}

TEST(Tools, CopyFailsWhenTheOutputCannotBeWritten)
{
    TempDir dir("tools-copy-out");
    const std::string in = dir.file("in.mid");
    writeFile(in, smallFile());
    {
        std::ostringstream err;
        EXPECT_EQ(runCopyCommand(in, dir.file("no-such-folder/out.mid"), err), 1);
        EXPECT_NE(err.str(), "");
    }
    {
        std::ostringstream err;
        const std::string folder = dir.file("folder");
        std::filesystem::create_directory(folder);
        EXPECT_EQ(runCopyCommand(in, folder, err), 1);
        EXPECT_NE(err.str(), "");
        EXPECT_TRUE(std::filesystem::is_directory(folder));
    }
}
