#pragma once
// The audio file a render writes, 16-bit interleaved samples a block at a
// time: WAV, or FLAC when the file's name ends in ".flac" (in any case). Both
// are written whole or not at all (mididata/safesave.h): only a complete file
// takes the name asked for, and a failed, cancelled or interrupted render
// leaves nothing behind.
#include <cstdint>
#include <memory>
#include <string>

#include "midiout/audiofilewriter.h"

bool namesFlacFile(const std::string& path);

std::unique_ptr<AudioFileWriter> makeAudioFileWriter(const std::string& path, std::uint32_t sampleRate,
                                                     std::uint16_t channels);
