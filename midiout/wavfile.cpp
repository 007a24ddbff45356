#include "midiout/wavfile.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <vector>

#include "mididata/standardstreams.h"

namespace {

constexpr std::size_t kHeaderBytes = 44;

void putLe(std::uint8_t* at, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        at[i] = std::uint8_t(value >> (8 * i));
}

std::array<std::uint8_t, kHeaderBytes> header(std::uint32_t rate, std::uint16_t channels, std::uint32_t dataBytes)
{
    std::array<std::uint8_t, kHeaderBytes> h{};
    const std::uint16_t blockAlign = std::uint16_t(channels * 2);
    std::memcpy(h.data(), "RIFF", 4);
    putLe(h.data() + 4, 36 + dataBytes, 4);
    std::memcpy(h.data() + 8, "WAVEfmt ", 8);
    putLe(h.data() + 16, 16, 4);  // size of the format chunk
    putLe(h.data() + 20, 1, 2);   // PCM
    putLe(h.data() + 22, channels, 2);
    putLe(h.data() + 24, rate, 4);
    putLe(h.data() + 28, rate * blockAlign, 4);
    putLe(h.data() + 32, blockAlign, 2);
    putLe(h.data() + 34, 16, 2);  // bits per sample
    std::memcpy(h.data() + 36, "data", 4);
    putLe(h.data() + 40, dataBytes, 4);
    return h;
}

}  // namespace

WavWriter::WavWriter(std::string path, std::uint32_t sampleRate, std::uint16_t channels)
    : file_(path), sampleRate_(sampleRate), channels_(channels), toStandardOutput_(namesStandardStream(path))
{}

bool WavWriter::put(const void* data, std::size_t size)
{
    return toStandardOutput_ ? writeStandardOutput(data, size, error_) : file_.write(data, size);
}

bool WavWriter::open()
{
    if (toStandardOutput_) {
        const std::uint64_t bytes = std::min(expectedFrames_ * 2u * channels_, kMaxDataBytes);
        const auto h = header(sampleRate_, channels_, std::uint32_t(bytes));
        return put(h.data(), h.size());
    }
    const auto h = header(sampleRate_, channels_, 0);
    return file_.open() && file_.write(h.data(), h.size());
}

bool WavWriter::write(std::span<const std::int16_t> samples)
{
    const std::uint64_t bytes = std::uint64_t(samples.size()) * 2;
    if (dataBytes_ + bytes > kMaxDataBytes) {
        error_ = "Couldn't write file " + file_.path() + ": " + std::strerror(EFBIG);
        return false;
    }
    // WAV samples are little-endian whatever the machine.
    std::vector<std::uint8_t> le(samples.size() * 2);
    for (std::size_t i = 0; i < samples.size(); ++i)
        putLe(le.data() + 2 * i, std::uint16_t(samples[i]), 2);
    if (!put(le.data(), le.size()))
        return false;
    dataBytes_ += bytes;
    return true;
}

bool WavWriter::finish()
{
    if (toStandardOutput_)
        return true;
    const auto h = header(sampleRate_, channels_, std::uint32_t(dataBytes_));
    return file_.seek(0) && file_.write(h.data(), h.size()) && file_.commit();
}
