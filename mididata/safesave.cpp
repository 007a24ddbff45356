#include "mididata/safesave.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fstream>

namespace {

// What the temporary name adds to the target's: ".song.wav.orvelline-Ab12Cd".
// Distinct enough that a leftover of a killed save is known as the program's
// own and never taken for a user's file.
constexpr const char* kTempMark = ".orvelline-";
constexpr std::size_t kRandomChars = 6;

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a path names once its symbolic links are followed, so that saving
// through a link writes the link's target (which need not exist yet) and the
// link stays a link. A loop of links answers the path itself; the rename then
// fails with the system's own words.
std::string followLinks(const std::string& path)
{
    std::string here = path;
    for (int hops = 0; hops < 40; ++hops) {
        char target[PATH_MAX];
        const ssize_t n = readlink(here.c_str(), target, sizeof target - 1);
        if (n < 0)
            return here;
        target[n] = '\0';
        if (target[0] == '/')
            here = target;
        else
            here = folderOf(here) + "/" + target;
    }
    return path;
}

// Mode bits a new file gets from open(..., 0666); the umask is read without
// changing it, since other threads may create files meanwhile.
mode_t newFileMode()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) == 0)
            return mode_t(0666 & ~std::strtoul(line.c_str() + 6, nullptr, 8));
    }
    return 0644;
}

// The saves under way, for a signal handler to clean up after: plain arrays
// and atomic flags, which a handler may read.
constexpr int kSlots = 16;
char slotPaths[kSlots][PATH_MAX];
std::atomic<bool> slotUsed[kSlots];
std::atomic_flag slotClaim[kSlots];

int claimSlot(const std::string& temp)
{
    if (temp.size() >= PATH_MAX)
        return -1;
    for (int i = 0; i < kSlots; ++i) {
        if (!slotClaim[i].test_and_set()) {
            std::memcpy(slotPaths[i], temp.c_str(), temp.size() + 1);
            slotUsed[i].store(true);
            return i;
        }
    }
    return -1;  // more saves at once than a handler tracks: only a signal's cleanup misses it
}

void releaseSlot(int slot)
{
    if (slot < 0)
        return;
    slotUsed[slot].store(false);
    slotClaim[slot].clear();
}

// A name that open() gives: ".BASE.orvelline-XXXXXX".
bool isOwnTemporaryName(const char* name)
{
    const std::size_t length = std::strlen(name);
    const std::size_t mark = std::strlen(kTempMark);
    if (name[0] != '.' || length < 2 + mark + kRandomChars)
        return false;
    return std::strncmp(name + length - kRandomChars - mark, kTempMark, mark) == 0;
}

// Temporary files of saves into folder that were killed outright. A save
// under way holds a lock on its file, so only abandoned ones are removed, and
// only the user's own.
void removeLeftovers(const std::string& folder)
{
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return;
    while (const dirent* entry = readdir(dir)) {
        if (!isOwnTemporaryName(entry->d_name))
            continue;
        const std::string path = folder + "/" + entry->d_name;
        const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat s = {};
        if (fstat(fd, &s) == 0 && S_ISREG(s.st_mode) && s.st_uid == geteuid() && flock(fd, LOCK_EX | LOCK_NB) == 0)
            unlink(path.c_str());
        close(fd);
    }
    closedir(dir);
}

}  // namespace

bool isWriteProtected(const std::string& path)
{
    struct stat s = {};
    return stat(followLinks(path).c_str(), &s) == 0 && S_ISREG(s.st_mode) && (s.st_mode & S_IWUSR) == 0;
}

void removeUnfinishedSaves() noexcept
{
    for (int i = 0; i < kSlots; ++i)
        if (slotUsed[i].load())
            unlink(slotPaths[i]);
}

SafeSave::SafeSave(std::string path) : path_(std::move(path)) {}

SafeSave::~SafeSave()
{
    discard();
}

void SafeSave::discard()
{
    if (fd_ >= 0)
        close(fd_);
    fd_ = -1;
    if (!temp_.empty()) {
        releaseSlot(slot_);
        slot_ = -1;
        unlink(temp_.c_str());
        temp_.clear();
    }
}

bool SafeSave::fail(const char* what, int errnum)
{
    if (error_.empty())
        error_ = std::string(what) + " " + path_ + ": " + std::strerror(errnum ? errnum : EIO);
    discard();
    return false;
}

bool SafeSave::open()
{
    target_ = followLinks(path_);
    struct stat old = {};
    exists_ = stat(target_.c_str(), &old) == 0;
    if (exists_ && !S_ISREG(old.st_mode)) {
        error_ = "Couldn't write file " + path_ + ": not a regular file";
        return false;
    }
    if (exists_ && (old.st_mode & S_IWUSR) == 0) {
        error_ = "Couldn't write file " + path_ + ": the file is read-only; its owner protected it from changes";
        return false;
    }
    oldMode_ = old.st_mode & 07777;
    oldUid_ = old.st_uid;
    oldGid_ = old.st_gid;
    const std::string folder = folderOf(target_);
    removeLeftovers(folder);
    // A name of the file's own folder that no other file has: the rename that
    // puts the new content in place then never crosses file systems, and no
    // file of the user's is ever overwritten or removed on the way.
    const std::size_t slash = target_.rfind('/');
    const std::string base = slash == std::string::npos ? target_ : target_.substr(slash + 1);
    for (int attempt = 0; attempt < 5; ++attempt) {
        std::string temp = folder + "/." + base + kTempMark + std::string(kRandomChars, 'X');
        fd_ = mkostemp(temp.data(), O_CLOEXEC);
        if (fd_ < 0)
            return fail("Couldn't create file", errno);
        temp_ = temp;
        slot_ = claimSlot(temp_);
        // The lock tells another save that this file is still being written.
        // Another save's clean-up may have taken the new file for a leftover
        // in the moment before the lock: then the name is tried again.
        struct stat made = {};
        // A file system without locks leaves the file unlocked, and its
        // leftovers are then never taken for abandoned.
        const bool locked = flock(fd_, LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK;
        if (locked && fstat(fd_, &made) == 0 && made.st_nlink > 0)
            return true;
        discard();
    }
    return fail("Couldn't create file", EBUSY);
}

bool SafeSave::write(const void* data, std::size_t size)
{
    if (fd_ < 0)
        return false;
    const auto* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd_, p, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return fail("Couldn't write file", errno);
        }
        p += n;
        size -= std::size_t(n);
    }
    return true;
}

bool SafeSave::seek(std::uint64_t offset)
{
    if (fd_ < 0)
        return false;
    if (lseek(fd_, off_t(offset), SEEK_SET) < 0)
        return fail("Couldn't write file", errno);
    return true;
}

std::uint64_t SafeSave::tell() const
{
    const off_t at = fd_ >= 0 ? lseek(fd_, 0, SEEK_CUR) : -1;
    return at < 0 ? 0 : std::uint64_t(at);
}

bool SafeSave::commit()
{
    if (fd_ < 0)
        return false;
    // The old file's owner and mode. Changing the owner to another user needs
    // root; a plain user keeps at least the group where it may.
    if (!exists_) {
        if (fchmod(fd_, newFileMode()) != 0)
            return fail("Couldn't write file", errno);
    } else {
        if (geteuid() == 0) {
            if (fchown(fd_, uid_t(oldUid_), gid_t(oldGid_)) != 0)
                return fail("Couldn't write file", errno);
        } else if (gid_t(oldGid_) != getegid()) {
            (void)!fchown(fd_, uid_t(-1), gid_t(oldGid_));
        }
        if (fchmod(fd_, mode_t(oldMode_)) != 0)
            return fail("Couldn't write file", errno);
    }
    if (fsync(fd_) != 0)
        return fail("Couldn't write file", errno);
    const int closed = close(fd_);
    fd_ = -1;
    if (closed != 0)
        return fail("Couldn't write file", errno);
    releaseSlot(slot_);
    slot_ = -1;
    if (std::rename(temp_.c_str(), target_.c_str()) != 0)
        return fail("Couldn't write file", errno);
    temp_.clear();
    // The rename is durable only once the folder is written out as well.
    const int dir = ::open(folderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
    return true;
}
