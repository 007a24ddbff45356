#include "app/bitmapfile.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <QString>

#include <cstdint>
#include <stdexcept>

#include "mididata/bytereader.h"

namespace {

constexpr char kCutShort[] = "Premature end of BMP file";

std::uint16_t le16(ByteReader& in)
{
    const std::uint8_t* p = in.take(2);
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

std::uint32_t le32(ByteReader& in)
{
    const std::uint8_t* p = in.take(4);
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

std::int64_t magnitude(std::uint32_t field)
{
    const auto value = std::int64_t(static_cast<std::int32_t>(field));
    return value < 0 ? -value : value;
}

// Throws unless the file holds every byte of pixel data its header promises.
void requireWholePixelData(const QByteArray& bytes)
{
    ByteReader in(reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size()), kCutShort);
    in.setPosition(10);
    const std::uint32_t pixelsAt = le32(in);
    const std::uint32_t headerSize = le32(in);
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::uint32_t bitCount = 0;
    std::uint32_t compression = 0;
    std::uint32_t compressedSize = 0;
    if (headerSize == 12) {
        width = le16(in);
        height = le16(in);
        le16(in);  // planes
        bitCount = le16(in);
    } else {
        width = magnitude(le32(in));
        height = magnitude(le32(in));
        le16(in);  // planes
        bitCount = le16(in);
        compression = le32(in);
        compressedSize = le32(in);
    }
    if (std::uint64_t(pixelsAt) > std::uint64_t(bytes.size()))
        throw std::runtime_error(kCutShort);
    const std::uint64_t available = std::uint64_t(bytes.size()) - pixelsAt;

    constexpr std::uint32_t kRle8 = 1, kRle4 = 2;
    if (compression == kRle8 || compression == kRle4) {
        if (compressedSize > available)
            throw std::runtime_error(kCutShort);
        return;
    }
    // Rows are padded to whole 32-bit words.
    const std::uint64_t rowBytes = (std::uint64_t(width) * bitCount + 31) / 32 * 4;
    if (rowBytes > 0 && std::uint64_t(height) > available / rowBytes)
        throw std::runtime_error(kCutShort);
}

}  // namespace

QImage decodeBitmap(const QByteArray& bytes)
{
    if (bytes.startsWith("BM"))
        requireWholePixelData(bytes);
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "bmp");
    QImage image;
    if (!reader.read(&image))
        throw std::runtime_error(reader.errorString().toStdString());
    return image;
}
