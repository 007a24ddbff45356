#pragma once
// Writing a file whole or not at all: the bytes go to a temporary file with a
// unique name in the target's folder, are flushed to the disk, and the
// temporary file is renamed over the target only when complete. A full disk or
// a crash therefore never leaves a half-written song or settings file, and the
// old file stays until the new one is there; on failure the temporary file is
// removed. A file that exists but is not writable for its owner (mode 0444)
// is refused, not replaced. Saving through a symbolic link writes the link's target, and a file
// that exists keeps its mode (and its owner, when run as root). Failures are
// reported through the message sink ("Couldn't create file ...", "Couldn't
// write file ...") and answered with false.
#include <cstddef>
#include <cstdint>
#include <string>

bool writeWholeFile(const std::string& path, const void* data, std::size_t size);
