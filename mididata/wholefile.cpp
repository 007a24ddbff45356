#include "mididata/wholefile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "mididata/messagesink.h"

namespace {

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

bool writeAll(int fd, const void* data, std::size_t size)
{
    const auto* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = write(fd, p, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        size -= std::size_t(n);
    }
    return true;
}

// Gives the new file the old one's owner and mode. Changing the owner to
// another user needs root; a plain user keeps at least the group where it may.
bool takeOverOwnerAndMode(int fd, const struct stat* old)
{
    if (!old)
        return fchmod(fd, newFileMode()) == 0;
    if (geteuid() == 0) {
        if (fchown(fd, old->st_uid, old->st_gid) != 0)
            return false;
    } else if (old->st_gid != getegid()) {
        (void)!fchown(fd, uid_t(-1), old->st_gid);
    }
    return fchmod(fd, old->st_mode & 07777) == 0;
}

}  // namespace

bool writeWholeFile(const std::string& path, const void* data, std::size_t size)
{
    const std::string target = followLinks(path);
    struct stat old {};
    const bool exists = stat(target.c_str(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode)) {
        reportMessage("Couldn't write file " + path + ": not a regular file");
        return false;
    }
    // The rename below would replace a file its owner protected from writing
    // as readily as any other; the protection is the owner's word, so keep it.
    if (exists && (old.st_mode & S_IWUSR) == 0) {
        reportMessage("Couldn't write file " + path + ": it is read-only");
        return false;
    }
    // A name of the file's own folder that no other file has: the rename that
    // puts the new content in place then never crosses file systems, and no
    // file of the user's is ever overwritten or removed on the way.
    const std::size_t slash = target.rfind('/');
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string temp = folderOf(target) + "/." + base + ".XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0) {
        reportMessage("Couldn't create file " + path + ": " + std::strerror(errno));
        return false;
    }
    bool ok = writeAll(fd, data, size) && takeOverOwnerAndMode(fd, exists ? &old : nullptr) && fsync(fd) == 0;
    int err = ok ? 0 : errno;
    if (close(fd) != 0 && ok) {
        err = errno;
        ok = false;
    }
    if (ok && std::rename(temp.c_str(), target.c_str()) != 0) {
        err = errno;
        ok = false;
    }
    if (!ok) {
        unlink(temp.c_str());
        reportMessage("Couldn't write file " + path + ": " + std::strerror(err ? err : EIO));
        return false;
    }
    // The rename is durable only once the folder is written out as well.
    const int dir = open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
    return true;
}
