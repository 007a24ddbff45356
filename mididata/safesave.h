#pragma once
// Writing a file whole or not at all, as a stream: the bytes go to a
// temporary file with a unique name in the target's folder, are flushed to the
// disk, and the temporary file is renamed over the target only when complete.
// A full disk or a crash therefore never leaves a half-written file, and the
// old file stays until the new one is there. Saving through a symbolic link
// writes the link's target and the link stays; a file that exists keeps its
// mode (and its owner, when run as root); a file its owner made read-only is
// not replaced. The temporary file goes away with the object unless commit()
// succeeded, and a program ending on a signal removes it with
// removeUnfinishedSaves(). A save also removes what an earlier save into the
// same folder left behind when it was killed outright.
//
// Failures answer false and error() says why: "Couldn't create file PATH: ..."
// or "Couldn't write file PATH: ...".
#include <cstddef>
#include <cstdint>
#include <string>

class SafeSave {
public:
    explicit SafeSave(std::string path);
    ~SafeSave();
    SafeSave(const SafeSave&) = delete;
    SafeSave& operator=(const SafeSave&) = delete;

    // Creates the temporary file; refuses a target that is no regular file or
    // that is write-protected.
    bool open();
    // Appends at the current place.
    bool write(const void* data, std::size_t size);
    // Moves the current place (a format may fill in its header at the end).
    bool seek(std::uint64_t offset);
    std::uint64_t tell() const;
    // Gives the file its mode, flushes it and renames it to the target.
    bool commit();

    const std::string& error() const { return error_; }
    const std::string& path() const { return path_; }

private:
    std::string path_;    // as the caller named it, for messages
    std::string target_;  // the file it names once links are followed
    std::string temp_;
    int fd_ = -1;
    int slot_ = -1;
    bool exists_ = false;
    unsigned oldMode_ = 0;
    unsigned oldUid_ = 0;
    unsigned oldGid_ = 0;
    std::string error_;

    bool fail(const char* what, int errnum);
    void discard();
};

// Whether an existing file is protected by its owner against changes (its
// owner may not write it): a save never replaces such a file, even for root
// or in a folder the user may write. A missing file is not protected.
bool isWriteProtected(const std::string& path);

// Removes the temporary files of the saves still under way. Safe to call from
// a signal handler; the program ends right after.
void removeUnfinishedSaves() noexcept;
