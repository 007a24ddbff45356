#pragma once
// Writing a 16-bit PCM WAV file a block at a time, for the offline render. The
// samples go to a file beside the target ("OUT.part") whose sizes are filled in
// at the end; only a complete file is renamed to the target, so a failed or
// interrupted render never leaves a truncated WAV under the name asked for.
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

class WavWriter {
public:
    // The most sample bytes a WAV file can describe (its sizes are 32-bit).
    static constexpr std::uint64_t kMaxDataBytes = 0xFFFFFFFFull - 36;

    WavWriter(std::string path, std::uint32_t sampleRate, std::uint16_t channels);
    // Removes the unfinished file unless finish() succeeded.
    ~WavWriter();
    WavWriter(const WavWriter&) = delete;
    WavWriter& operator=(const WavWriter&) = delete;

    // Creates the file and writes the header; on failure error() says why.
    bool open();
    // Interleaved samples, a whole number of frames.
    bool write(std::span<const std::int16_t> samples);
    // Fills in the sizes, flushes and moves the file to its name.
    bool finish();

    const std::string& error() const { return error_; }
    std::uint64_t dataBytes() const { return dataBytes_; }

private:
    std::string path_;
    std::string temp_;
    std::uint32_t sampleRate_;
    std::uint16_t channels_;
    std::FILE* file_ = nullptr;
    std::uint64_t dataBytes_ = 0;
    bool finished_ = false;
    std::string error_;

    bool fail(const std::string& what, int errnum);
};
