#include "midiout/audiofile.h"

#include <algorithm>
#include <cctype>

#include "midiout/flacfile.h"
#include "midiout/wavfile.h"

bool namesFlacFile(const std::string& path)
{
    static constexpr std::string_view kFlac = ".flac";
    if (path.size() < kFlac.size())
        return false;
    return std::equal(kFlac.begin(), kFlac.end(), path.end() - std::ptrdiff_t(kFlac.size()),
                      [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
}

std::unique_ptr<AudioFileWriter> makeAudioFileWriter(const std::string& path, std::uint32_t sampleRate,
                                                     std::uint16_t channels)
{
    if (namesFlacFile(path))
        return std::make_unique<FlacWriter>(path, sampleRate, channels);
    return std::make_unique<WavWriter>(path, sampleRate, channels);
}
