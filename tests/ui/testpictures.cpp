#include "testpictures.h"

#include <QFile>

#include <cstdio>
#include <cstdlib>

#include <gtest/gtest.h>

Bytes encodeJpeg(int width, int height, J_COLOR_SPACE space, int components, const PixelAt& pixelAt)
{
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr errors{};
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
    cinfo.input_components = components;
    cinfo.in_color_space = space;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 95, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(std::size_t(width * components));
    while (cinfo.next_scanline < cinfo.image_height) {
        for (int x = 0; x < width; ++x) {
            const std::vector<std::uint8_t> pixel = pixelAt(x, int(cinfo.next_scanline));
            for (int c = 0; c < components; ++c)
                row[std::size_t(x * components + c)] = pixel[std::size_t(c)];
        }
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    Bytes bytes(buffer, buffer + size);
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return bytes;
}

Bytes cornerBlockJpeg(int width, int height, std::vector<std::uint8_t> corner, std::vector<std::uint8_t> rest)
{
    return encodeJpeg(width, height, JCS_RGB, 3, [&](int x, int y) { return x < 8 && y < 8 ? corner : rest; });
}

QByteArray asQBytes(const Bytes& bytes)
{
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

void writeTestFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}
