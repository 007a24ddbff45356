#pragma once
// "-" for a file on the command line: standard input where a file is read,
// standard output where one is written. Output there goes straight out, not
// through the temporary file of a safe save, which a pipe could never take.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

bool namesStandardStream(const std::string& path);

// How a message names the stream "-" stands for: "standard input" or "standard output".
std::string standardStreamName(const std::string& path, bool output);

// Reads standard input to its end; false with error set to the system's reason.
bool readStandardInput(std::vector<std::uint8_t>& bytes, std::string& error);

// Writes all the bytes to standard output; false with error set to
// "Couldn't write to standard output: ..." when the stream takes them not.
bool writeStandardOutput(const void* data, std::size_t size, std::string& error);
