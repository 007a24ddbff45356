#include "mididata/wholefile.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "mididata/messagesink.h"

bool writeWholeFile(const std::string& path, const void* data, size_t size) {
    const std::string temp = path + ".part";
    FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f) {
        reportMessage("Couldn't create file " + path + ": " + std::strerror(errno));
        return false;
    }
    errno = 0;
    bool ok = std::fwrite(data, 1, size, f) == size;
    ok = std::fflush(f) == 0 && ok;
    ok = ok && fsync(fileno(f)) == 0;
    int err = errno;
    ok = std::fclose(f) == 0 && ok;
    if (!ok && !err) err = errno;
    if (ok && std::rename(temp.c_str(), path.c_str()) != 0) {
        err = errno;
        ok = false;
    }
    if (!ok) {
        std::remove(temp.c_str());
        reportMessage("Couldn't write file " + path + ": " + std::strerror(err ? err : EIO));
    }
    return ok;
}
