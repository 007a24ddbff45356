#pragma once
// Writing a file whole or not at all, through the safe save of
// mididata/safesave.h (a unique temporary file beside the target, renamed
// over it when complete; links followed, the mode kept, a read-only file not
// replaced). Failures are reported through the message sink ("Couldn't create
// file ...", "Couldn't write file ...") and answered with false.
#include <cstddef>
#include <cstdint>
#include <string>

bool writeWholeFile(const std::string& path, const void* data, std::size_t size);
