#include "mididata/standardstreams.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

bool namesStandardStream(const std::string& path)
{
    return path == "-";
}

std::string standardStreamName(const std::string& path, bool output)
{
    if (!namesStandardStream(path))
        return path;
    return output ? "standard output" : "standard input";
}

bool readStandardInput(std::vector<std::uint8_t>& bytes, std::string& error)
{
    bytes.clear();
    std::uint8_t block[65536];
    for (;;) {
        const ssize_t got = read(STDIN_FILENO, block, sizeof block);
        if (got == 0)
            return true;
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            error = std::strerror(errno);
            return false;
        }
        bytes.insert(bytes.end(), block, block + got);
    }
}

bool writeStandardOutput(const void* data, std::size_t size, std::string& error)
{
    const auto* p = static_cast<const std::uint8_t*>(data);
    while (size > 0) {
        const ssize_t put = write(STDOUT_FILENO, p, size);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0) {
            error = std::string("Couldn't write to standard output: ") + std::strerror(put < 0 ? errno : EIO);
            return false;
        }
        p += put;
        size -= std::size_t(put);
    }
    return true;
}
