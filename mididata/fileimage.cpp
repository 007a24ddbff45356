#include "mididata/fileimage.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

#include "mididata/midierror.h"

namespace {

struct Descriptor {
    int fd;
    ~Descriptor()
    {
        if (fd >= 0)
            close(fd);
    }
};

std::size_t pageRounded(std::size_t n)
{
    return (n + 4095) & ~std::size_t(4095);
}

}  // namespace

FileImage::FileImage(const std::string& path)
{
    const Descriptor file{open(path.c_str(), O_RDONLY | O_CLOEXEC)};
    if (file.fd < 0) {
        const std::string reason = std::strerror(errno);
        throw MidiFileError("Cannot open file " + path + ": " + reason, reason);
    }
    struct stat info = {};
    if (fstat(file.fd, &info) != 0 || !S_ISREG(info.st_mode))
        throw MidiFileError("Cannot open file " + path + ": not a regular file", "not a regular file");
    try {
        // One byte more than the size, so that the read that finds the end of an
        // unchanged file needs no more room.
        grow(std::size_t(std::max<off_t>(info.st_size, 0)) + 1);
        for (;;) {
            if (size_ == mapped_)
                grow(mapped_ * 2);
            const ssize_t got = read(file.fd, data_ + size_, mapped_ - size_);
            if (got == 0)
                break;
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0) {
                const std::string reason = std::strerror(errno);
                throw MidiFileError("Cannot read file " + path + ": " + reason, reason);
            }
            size_ += std::size_t(got);
        }
    } catch (...) {
        if (data_)
            munmap(data_, mapped_);
        throw;
    }
}

FileImage::~FileImage()
{
    if (data_)
        munmap(data_, mapped_);
    data_ = nullptr;
}

void FileImage::grow(std::size_t capacity)
{
    capacity = pageRounded(std::max<std::size_t>(capacity, 1));
    void* mem = mmap(nullptr, capacity, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mem == MAP_FAILED)
        throw std::bad_alloc();
    // Huge pages where the system gives them, all faulted in by one call (on an
    // older kernel the read faults them in as it goes).
    madvise(mem, capacity, MADV_HUGEPAGE);
    madvise(mem, capacity, MADV_POPULATE_WRITE);
    if (data_) {
        std::memcpy(mem, data_, size_);
        munmap(data_, mapped_);
    }
    data_ = static_cast<std::uint8_t*>(mem);
    mapped_ = capacity;
}
