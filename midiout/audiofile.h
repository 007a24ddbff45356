#pragma once
// The audio file a render writes, 16-bit interleaved samples a block at a
// time: WAV, or FLAC when the file's name ends in ".flac" (in any case). Both
// are written whole or not at all (mididata/safesave.h): only a complete file
// takes the name asked for, and a failed, cancelled or interrupted render
// leaves nothing behind.
#include <cstdint>
#include <memory>
#include <span>
#include <string>

class AudioFileWriter {
public:
    virtual ~AudioFileWriter() = default;
    // Creates the file; on failure error() says why.
    virtual bool open() = 0;
    // Interleaved samples, a whole number of frames.
    virtual bool write(std::span<const std::int16_t> samples) = 0;
    // Completes the file and gives it its name.
    virtual bool finish() = 0;
    virtual const std::string& error() const = 0;
    // The most frames the format can hold at this channel count.
    virtual std::uint64_t maxFrames() const = 0;
    // What the format is called in a message: "WAV", "FLAC".
    virtual const char* formatName() const = 0;
};

bool namesFlacFile(const std::string& path);

std::unique_ptr<AudioFileWriter> makeAudioFileWriter(const std::string& path, std::uint32_t sampleRate,
                                                     std::uint16_t channels);
