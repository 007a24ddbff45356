#pragma once
// A 16-bit PCM WAV file, its sizes filled in at the end.
#include "mididata/safesave.h"
#include "midiout/audiofilewriter.h"

class WavWriter : public AudioFileWriter {
public:
    // The most sample bytes a WAV file can describe (its sizes are 32-bit).
    static constexpr std::uint64_t kMaxDataBytes = 0xFFFFFFFFull - 36;

    WavWriter(std::string path, std::uint32_t sampleRate, std::uint16_t channels);

    bool open() override;
    bool write(std::span<const std::int16_t> samples) override;
    bool finish() override;
    const std::string& error() const override { return error_.empty() ? file_.error() : error_; }
    std::uint64_t maxFrames() const override { return kMaxDataBytes / (2u * channels_); }
    const char* formatName() const override { return "WAV"; }

private:
    SafeSave file_;
    std::uint32_t sampleRate_;
    std::uint16_t channels_;
    std::uint64_t dataBytes_ = 0;
    std::string error_;
};
