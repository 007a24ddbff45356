#pragma once
// Picture files for the picture tests: JPEG data encoded here with libjpeg
// (never with a Qt plugin, so the program's own decoder is what reads it
// back) and files written into a test's folder.
#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

#include <jpeglib.h>

using Bytes = std::vector<std::uint8_t>;
// The components of the pixel at (x, y) in the encoder's input colour space.
using PixelAt = std::function<std::vector<std::uint8_t>(int x, int y)>;

Bytes encodeJpeg(int width, int height, J_COLOR_SPACE space, int components, const PixelAt& pixelAt);

// A colour picture of one colour, with an 8 x 8 block of another at the top left.
Bytes cornerBlockJpeg(int width, int height, std::vector<std::uint8_t> corner, std::vector<std::uint8_t> rest);

QByteArray asQBytes(const Bytes& bytes);

// Writes the file whole; a failure is a test failure.
void writeTestFile(const QString& path, const QByteArray& bytes);
