#pragma once
// A 16-bit FLAC file, through libFLAC's stream encoder writing into the safe
// save; the stream's header (length and checksum) is filled in at the end.
#include <memory>
#include <vector>

#include "mididata/safesave.h"
#include "midiout/audiofilewriter.h"

class FlacWriter : public AudioFileWriter {
public:
    FlacWriter(std::string path, std::uint32_t sampleRate, std::uint16_t channels);
    ~FlacWriter() override;

    bool open() override;
    bool write(std::span<const std::int16_t> samples) override;
    bool finish() override;
    const std::string& error() const override { return error_.empty() ? file_.error() : error_; }
    // The stream header counts samples in 36 bits.
    std::uint64_t maxFrames() const override { return (std::uint64_t(1) << 36) - 1; }
    const char* formatName() const override { return "FLAC"; }

    SafeSave& file() { return file_; }

private:
    SafeSave file_;
    std::uint32_t sampleRate_;
    std::uint16_t channels_;
    struct Encoder;  // libFLAC's, which its header names by a typedef alone
    std::unique_ptr<Encoder> encoder_;
    std::vector<std::int32_t> wide_;
    std::string error_;

    bool encoderFailed();
};
