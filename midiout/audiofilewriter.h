#pragma once
// One audio file being written, 16-bit interleaved samples a block at a time
// (midiout/audiofile.h chooses the format).
#include <cstdint>
#include <span>
#include <string>

class AudioFileWriter {
public:
    virtual ~AudioFileWriter() = default;
    // How many frames will be written, told before open(): a writer that cannot
    // go back to fill in its sizes at the end writes them first.
    virtual void expectFrames(std::uint64_t /*frames*/) {}
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
