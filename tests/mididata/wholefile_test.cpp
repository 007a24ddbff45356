#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "mididata/messagesink.h"
#include "mididata/safesave.h"
#include "mididata/smf_test_support.h"
#include "mididata/wholefile.h"

using namespace smftest;
namespace fs = std::filesystem;

namespace {

bool save(const std::string& path, const std::string& text, std::vector<std::string>* messages = nullptr)
{
    MessageSink previous = setMessageSink([messages](const std::string& m) {
        if (messages)
            messages->push_back(m);
    });
    const bool ok = writeWholeFile(path, text.data(), text.size());
    setMessageSink(std::move(previous));
    return ok;
}

std::string text(const std::string& path)
{
    const Bytes b = readFile(path);
    return std::string(b.begin(), b.end());
}

std::vector<std::string> names(const fs::path& folder)
{
    std::vector<std::string> all;
    for (const auto& entry : fs::directory_iterator(folder))
        all.push_back(entry.path().filename().string());
    std::sort(all.begin(), all.end());
    return all;
}

mode_t modeOf(const std::string& path)
{
    struct stat s = {};
    EXPECT_EQ(stat(path.c_str(), &s), 0);
    return s.st_mode & 07777;
}

}  // namespace

TEST(WholeFile, SavingThroughALinkWritesTheLinksTarget)
{
    TempDir dir("whole-link");
    fs::create_directory(dir.path() / "real");
    writeFile(dir.file("real/song.mid"), Bytes{'o', 'l', 'd'});
    fs::create_symlink("real/song.mid", dir.path() / "link.mid");
    fs::create_symlink(dir.path() / "link.mid", dir.path() / "chain.mid");

    ASSERT_TRUE(save(dir.file("chain.mid"), "new"));
    EXPECT_TRUE(fs::is_symlink(dir.path() / "link.mid"));
    EXPECT_TRUE(fs::is_symlink(dir.path() / "chain.mid"));
    EXPECT_EQ(text(dir.file("real/song.mid")), "new");
    EXPECT_EQ(names(dir.path() / "real"), std::vector<std::string>{"song.mid"});

    // A link to a file that does not exist yet creates the file it names.
    fs::create_symlink("real/later.mid", dir.path() / "dangling.mid");
    ASSERT_TRUE(save(dir.file("dangling.mid"), "made"));
    EXPECT_TRUE(fs::is_symlink(dir.path() / "dangling.mid"));
    EXPECT_EQ(text(dir.file("real/later.mid")), "made");
}

TEST(WholeFile, AFileKeepsItsModeAndOwnerAndANewFileFollowsTheUmask)
{
    TempDir dir("whole-mode");
    const std::string path = dir.file("there.cfg");
    writeFile(path, Bytes{'x'});
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    const bool root = geteuid() == 0;
    if (root) {
        ASSERT_EQ(chown(path.c_str(), 4321, 4322), 0);
    }

    ASSERT_TRUE(save(path, "000\r\n"));
    EXPECT_EQ(text(path), "000\r\n");
    EXPECT_EQ(modeOf(path), mode_t(0640));
    if (root) {
        struct stat s = {};
        ASSERT_EQ(stat(path.c_str(), &s), 0);
        EXPECT_EQ(s.st_uid, uid_t(4321));
        EXPECT_EQ(s.st_gid, gid_t(4322));
    }

    const mode_t before = umask(022);
    ASSERT_TRUE(save(dir.file("device.prf"), "0000\r\n"));
    umask(before);
    EXPECT_EQ(modeOf(dir.file("device.prf")), mode_t(0644));
}

TEST(WholeFile, TheTemporaryFileNeverTakesTheNameOfAUsersFile)
{
    TempDir dir("whole-part");
    writeFile(dir.file("song.mid.part"), Bytes{'m', 'i', 'n', 'e'});
    fs::create_directory(dir.path() / ".song.mid.XXXXXX");

    ASSERT_TRUE(save(dir.file("song.mid"), "song"));
    EXPECT_EQ(text(dir.file("song.mid")), "song");
    EXPECT_EQ(text(dir.file("song.mid.part")), "mine");
    EXPECT_EQ(names(dir.path()), (std::vector<std::string>{".song.mid.XXXXXX", "song.mid", "song.mid.part"}));
}

TEST(WholeFile, AFailedSaveLeavesTheOldFileAndNoTemporaryFile)
{
    TempDir dir("whole-fail");
    const std::string path = dir.file("song.mid");
    writeFile(path, Bytes(10, 'o'));

    // The disk "fills up" after 4 KiB: the write fails part-way.
    struct rlimit old = {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    struct rlimit small = old;
    small.rlim_cur = 4096;
    void (*previous)(int) = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    std::vector<std::string> messages;
    const bool ok = save(path, std::string(100000, 'n'), &messages);
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, previous);

    EXPECT_FALSE(ok);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("Couldn't write file " + path), std::string::npos) << messages[0];
    EXPECT_EQ(text(path), std::string(10, 'o'));
    EXPECT_EQ(names(dir.path()), std::vector<std::string>{"song.mid"});

    // A folder is not a file to replace; nothing is made beside it.
    messages.clear();
    fs::create_directory(dir.path() / "folder.mid");
    EXPECT_FALSE(save(dir.file("folder.mid"), "x", &messages));
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(names(dir.path()), (std::vector<std::string>{"folder.mid", "song.mid"}));
}

TEST(WholeFile, AFileItsOwnerProtectedIsNotReplaced)
{
    TempDir dir("whole-readonly");
    const std::string path = dir.file("song.mid");
    writeFile(path, Bytes{'o', 'l', 'd'});
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    fs::create_symlink("song.mid", dir.path() / "link.mid");

    for (const std::string& name : {path, dir.file("link.mid")}) {
        std::vector<std::string> messages;
        EXPECT_TRUE(isWriteProtected(name));
        EXPECT_FALSE(save(name, "new", &messages));
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0],
                  "Couldn't write file " + name + ": the file is read-only; its owner protected it from changes");
    }
    EXPECT_EQ(text(path), "old");
    EXPECT_EQ(names(dir.path()), (std::vector<std::string>{"link.mid", "song.mid"}));
    EXPECT_FALSE(isWriteProtected(dir.file("missing.mid")));
}

TEST(WholeFile, ASaveRemovesWhatAKilledSaveLeftAndNothingElse)
{
    TempDir dir("whole-leftover");
    // A save killed outright left its temporary file; another save is still writing its own.
    writeFile(dir.file(".take.wav.orvelline-Ab12Cd"), Bytes(100, 'x'));
    SafeSave running(dir.file("other.mid"));
    ASSERT_TRUE(running.open());
    // The user's own files, however alike.
    writeFile(dir.file(".notes.orvelline"), Bytes{'u'});
    writeFile(dir.file("take.wav.orvelline-Ab12Cd"), Bytes{'u'});

    ASSERT_TRUE(save(dir.file("song.mid"), "song"));
    const std::vector<std::string> left = names(dir.path());
    EXPECT_EQ(std::count(left.begin(), left.end(), ".take.wav.orvelline-Ab12Cd"), 0);
    EXPECT_EQ(
        std::count_if(left.begin(), left.end(), [](const std::string& n) { return n.starts_with(".other.mid."); }), 1)
        << "a save under way keeps its file";
    EXPECT_EQ(std::count(left.begin(), left.end(), ".notes.orvelline"), 1);
    EXPECT_EQ(std::count(left.begin(), left.end(), "take.wav.orvelline-Ab12Cd"), 1);

    ASSERT_TRUE(running.write("x", 1) && running.commit());
    EXPECT_EQ(text(dir.file("other.mid")), "x");
}
