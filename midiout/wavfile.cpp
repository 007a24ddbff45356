#include "tools/wavfile.h"

#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <vector>

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
    : path_(std::move(path)), temp_(path_ + ".part"), sampleRate_(sampleRate), channels_(channels)
{}

WavWriter::~WavWriter()
{
    if (file_)
        std::fclose(file_);
    if (!finished_ && !temp_.empty())
        std::remove(temp_.c_str());
}

bool WavWriter::fail(const std::string& what, int errnum)
{
    if (error_.empty())
        error_ = what + " " + path_ + ": " + std::strerror(errnum ? errnum : EIO);
    if (file_) {
        std::fclose(file_);
        file_ = nullptr;
    }
    std::remove(temp_.c_str());
    return false;
}

bool WavWriter::open()
{
    file_ = std::fopen(temp_.c_str(), "wb");
    if (!file_)
        return fail("Couldn't create file", errno);
    const auto h = header(sampleRate_, channels_, 0);
    if (std::fwrite(h.data(), 1, h.size(), file_) != h.size())
        return fail("Couldn't write file", errno);
    return true;
}

bool WavWriter::write(std::span<const std::int16_t> samples)
{
    if (!file_)
        return false;
    const std::uint64_t bytes = std::uint64_t(samples.size()) * 2;
    if (dataBytes_ + bytes > kMaxDataBytes)
        return fail("Couldn't write file", EFBIG);
    // WAV samples are little-endian whatever the machine.
    std::vector<std::uint8_t> le(samples.size() * 2);
    for (std::size_t i = 0; i < samples.size(); ++i)
        putLe(le.data() + 2 * i, std::uint16_t(samples[i]), 2);
    if (std::fwrite(le.data(), 1, le.size(), file_) != le.size())
        return fail("Couldn't write file", errno);
    dataBytes_ += bytes;
    return true;
}

bool WavWriter::finish()
{
    if (!file_)
        return false;
    const auto h = header(sampleRate_, channels_, std::uint32_t(dataBytes_));
    if (std::fseek(file_, 0, SEEK_SET) != 0 || std::fwrite(h.data(), 1, h.size(), file_) != h.size() ||
        std::fflush(file_) != 0 || fsync(fileno(file_)) != 0)
        return fail("Couldn't write file", errno);
    const int closed = std::fclose(file_);
    file_ = nullptr;
    if (closed != 0)
        return fail("Couldn't write file", errno);
    if (std::rename(temp_.c_str(), path_.c_str()) != 0)
        return fail("Couldn't write file", errno);
    finished_ = true;
    return true;
}
