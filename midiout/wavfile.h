#pragma once
// A 16-bit PCM WAV file, its sizes filled in at the end; to standard output
// ("-"), which cannot go back, with the sizes of the frames it expects first.
#include "mididata/safesave.h"
#include "midiout/audiofilewriter.h"

class WavWriter : public AudioFileWriter {
public:
    // The most sample bytes a WAV file can describe (its sizes are 32-bit).
    static constexpr std::uint64_t kMaxDataBytes = 0xFFFFFFFFull - 36;

    WavWriter(std::string path, std::uint32_t sampleRate, std::uint16_t channels);

    void expectFrames(std::uint64_t frames) override { expectedFrames_ = frames; }
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
    std::uint64_t expectedFrames_ = 0;
    bool toStandardOutput_;
    std::string error_;

    bool put(const void* data, std::size_t size);
};
