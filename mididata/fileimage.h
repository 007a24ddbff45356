#pragma once
// A file read whole into memory with one read, for the file reader. The memory
// is mapped and faulted in with one call before the read, since a page fault
// per page is most of what reading a big file costs a fresh process. A file
// that grows while it is read is read to its end all the same.
#include <cstddef>
#include <cstdint>
#include <string>

class FileImage {
public:
    // Raises MidiDataError naming the file when it cannot be opened or read,
    // or is not a regular file.
    explicit FileImage(const std::string& path);
    ~FileImage();
    FileImage(const FileImage&) = delete;
    FileImage& operator=(const FileImage&) = delete;

    const std::uint8_t* data() const { return data_; }
    std::size_t size() const { return size_; }

private:
    std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t mapped_ = 0;
    void grow(std::size_t capacity);
};
