#pragma once
// Decodes the bytes of a JPEG file into 8-bit RGB pixels with IJG libjpeg, at
// its best quality (accurate integer DCT, smooth chroma upsampling). Colour,
// greyscale and CMYK/YCCK pictures are all delivered as RGB. The background
// pictures of the playing surface are read through it; it knows nothing of
// windows.
//
// Every failure is a JpegError: with libjpeg's own message for data that is
// not a JPEG, for a file that ends before the picture does (libjpeg would
// otherwise fill the rest with grey and only warn) and for damaged compressed
// data; with "Picture too large: W x H pixels" for dimensions no picture of
// the surface could have, refused before any pixel memory is taken.
#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <vector>

class JpegError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct RgbImage {
    int width = 0;
    int height = 0;
    // Rows from top to bottom, three bytes (red, green, blue) per pixel, no padding.
    std::vector<std::uint8_t> pixels;
};

constexpr int kMaxJpegSide = 16384;
constexpr std::int64_t kMaxJpegPixels = std::int64_t{64} * 1024 * 1024;

RgbImage decodeJpeg(std::span<const std::uint8_t> bytes);
