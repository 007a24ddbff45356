#include "app/picturefile.h"

#include <QByteArray>
#include <QColor>
#include <QDir>
#include <QImage>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/jpegdecoder.h"
#include "testpictures.h"

namespace {

// Left 16 columns red, the rest blue; the edge lies on a block boundary.
Bytes redBlueJpeg()
{
    return encodeJpeg(40, 30, JCS_RGB, 3, [](int x, int) {
        return x < 16 ? std::vector<std::uint8_t>{255, 0, 0} : std::vector<std::uint8_t>{0, 0, 255};
    });
}

// Lossy compression moves colours a little.
void expectNear(const QColor& actual, int red, int green, int blue)
{
    EXPECT_NEAR(actual.red(), red, 6);
    EXPECT_NEAR(actual.green(), green, 6);
    EXPECT_NEAR(actual.blue(), blue, 6);
}

void expectRgbNear(const RgbImage& image, int x, int y, int red, int green, int blue)
{
    const std::size_t at = (std::size_t(y) * std::size_t(image.width) + std::size_t(x)) * 3;
    expectNear(QColor(image.pixels[at], image.pixels[at + 1], image.pixels[at + 2]), red, green, blue);
}

// Where the marker FF code first occurs; 0 if nowhere.
std::size_t markerAt(const Bytes& jpeg, std::uint8_t code)
{
    for (std::size_t i = 0; i + 1 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == code)
            return i;
    return 0;
}

// The first byte of compressed picture data, after the start-of-scan header.
std::size_t scanDataStart(const Bytes& jpeg)
{
    const std::size_t sos = markerAt(jpeg, 0xDA);
    return sos + 2 + std::size_t(jpeg[sos + 2] << 8 | jpeg[sos + 3]);
}

std::string messageOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const std::exception& error) {
        return error.what();
    }
    return "(nothing thrown)";
}

}  // namespace

TEST(JpegDecoder, DecodesColourGreyAndCmykPicturesToRgbAtTheirOwnSize)
{
    const RgbImage colour = decodeJpeg(redBlueJpeg());
    EXPECT_EQ(colour.width, 40);
    EXPECT_EQ(colour.height, 30);
    ASSERT_EQ(colour.pixels.size(), std::size_t(40 * 30 * 3));
    expectRgbNear(colour, 3, 3, 255, 0, 0);
    expectRgbNear(colour, 36, 26, 0, 0, 255);

    const RgbImage grey =
        decodeJpeg(encodeJpeg(17, 9, JCS_GRAYSCALE, 1, [](int, int) { return std::vector<std::uint8_t>{200}; }));
    EXPECT_EQ(grey.width, 17);
    EXPECT_EQ(grey.height, 9);
    expectRgbNear(grey, 16, 8, 200, 200, 200);

    // libjpeg marks CMYK files as Adobe's, whose inks are stored inverted:
    // 255 is no ink. Top half paper white, bottom half cyan.
    const RgbImage cmyk = decodeJpeg(encodeJpeg(16, 16, JCS_CMYK, 4, [](int, int y) {
        return y < 8 ? std::vector<std::uint8_t>{255, 255, 255, 255} : std::vector<std::uint8_t>{0, 255, 255, 255};
    }));
    expectRgbNear(cmyk, 4, 2, 255, 255, 255);
    expectRgbNear(cmyk, 4, 13, 0, 255, 255);
}

TEST(JpegDecoder, RaisesLibjpegsMessageForDamagedOrAbsurdData)
{
    // Busy content, so that most of the file is compressed picture data.
    const Bytes whole = encodeJpeg(64, 64, JCS_RGB, 3, [](int x, int y) {
        return std::vector<std::uint8_t>{std::uint8_t(x * 37 ^ y * 91), std::uint8_t(x * y), std::uint8_t(x + y * 3)};
    });
    const std::size_t scan = scanDataStart(whole);
    ASSERT_LT(scan, whole.size() / 2);
    const std::size_t middle = scan + (whole.size() - scan) / 2;

    const Bytes cut(whole.begin(), whole.begin() + std::ptrdiff_t(middle));
    EXPECT_EQ(messageOf([&] { decodeJpeg(cut); }), "Premature end of JPEG file");
    const Bytes cutInHeader(whole.begin(), whole.begin() + 100);
    EXPECT_EQ(messageOf([&] { decodeJpeg(cutInHeader); }), "Premature end of JPEG file");

    Bytes damaged = whole;
    damaged[middle] = 0xFF;
    damaged[middle + 1] = 0xD3;
    EXPECT_THROW(decodeJpeg(damaged), JpegError);

    const Bytes notJpeg{'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0};
    EXPECT_EQ(messageOf([&] { decodeJpeg(notJpeg); }), "Not a JPEG file: starts with 0x47 0x49");
    EXPECT_THROW(decodeJpeg(Bytes{}), JpegError);

    // The frame header claims 60000 x 60000 pixels; nothing that size may be allocated.
    Bytes huge = whole;
    const std::size_t frame = markerAt(huge, 0xC0);
    ASSERT_NE(frame, 0u);
    huge[frame + 5] = huge[frame + 7] = 60000 >> 8;
    huge[frame + 6] = huge[frame + 8] = 60000 & 0xFF;
    EXPECT_EQ(messageOf([&] { decodeJpeg(huge); }), "Picture too large: 60000 x 60000 pixels");
}

TEST(LoadPicture, LoadsJpegAndBitmapFilesWhateverTheCaseOfTheirExtension)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QByteArray jpeg = asQBytes(redBlueJpeg());
    writeTestFile(folder.filePath(QStringLiteral("a.jpg")), jpeg);
    writeTestFile(folder.filePath(QStringLiteral("b.JPEG")), jpeg);
    QImage drawn(7, 5, QImage::Format_RGB32);
    drawn.fill(QColor(10, 200, 30));
    drawn.setPixel(6, 4, qRgb(1, 2, 3));
    ASSERT_TRUE(drawn.save(folder.filePath(QStringLiteral("c.Bmp")), "BMP"));

    for (const char* name : {"a.jpg", "b.JPEG"}) {
        QImage bitmap;
        LoadPicture(bitmap, folder.filePath(QLatin1String(name)));
        EXPECT_EQ(bitmap.size(), QSize(40, 30)) << name;
        expectNear(bitmap.pixelColor(0, 29), 255, 0, 0);
        expectNear(bitmap.pixelColor(39, 0), 0, 0, 255);
    }

    QImage bitmap;
    LoadPicture(bitmap, folder.filePath(QStringLiteral("c.Bmp")));
    EXPECT_EQ(bitmap.size(), QSize(7, 5));
    EXPECT_EQ(bitmap.pixelColor(0, 0), QColor(10, 200, 30));
    EXPECT_EQ(bitmap.pixelColor(6, 4), QColor(1, 2, 3));
}

TEST(LoadPicture, KeepsTheOldPictureWhenTheFileCannotBeLoaded)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const Bytes jpeg = redBlueJpeg();
    writeTestFile(folder.filePath(QStringLiteral("cut.jpg")), asQBytes(Bytes(jpeg.begin(), jpeg.end() - 40)));
    writeTestFile(folder.filePath(QStringLiteral("garbage.jpeg")), QByteArray("this is no picture at all"));
    writeTestFile(folder.filePath(QStringLiteral("garbage.bmp")), QByteArray("BMthis is no picture at all"));
    writeTestFile(folder.filePath(QStringLiteral("photo.png")), QByteArray("\x89PNG"));
    QImage drawn(20, 20, QImage::Format_RGB32);
    drawn.fill(QColor(10, 200, 30));
    ASSERT_TRUE(drawn.save(folder.filePath(QStringLiteral("whole.bmp")), "BMP"));
    QFile whole(folder.filePath(QStringLiteral("whole.bmp")));
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    // Qt's own reader would accept this and show uninitialised memory for the missing rows.
    writeTestFile(folder.filePath(QStringLiteral("cut.bmp")), whole.readAll().chopped(200));

    QImage old(3, 3, QImage::Format_RGB32);
    old.fill(Qt::green);
    const QImage before = old.copy();
    const auto load = [&](const char* name) {
        return messageOf([&] { LoadPicture(old, folder.filePath(QLatin1String(name))); });
    };

    EXPECT_EQ(load("cut.jpg"), "Premature end of JPEG file");
    EXPECT_EQ(load("cut.bmp"), "Premature end of BMP file");
    EXPECT_NE(load("garbage.jpeg"), "(nothing thrown)");
    EXPECT_NE(load("garbage.bmp"), "(nothing thrown)");
    EXPECT_NE(load("missing.jpg"), "(nothing thrown)");
    EXPECT_EQ(load("photo.png"), "Illegal file extension <.png>");
    EXPECT_EQ(load("archive.tar.GZ"), "Illegal file extension <.gz>");
    EXPECT_EQ(load("README"), "Illegal file extension <>");
    EXPECT_EQ(old, before);
}

TEST(PictureFileNames, ListsJpegFilesBeforeBitmapsAndLeavesOutHiddenFilesAndFolders)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    for (const char* name : {"c.bmp", "a.jpg", "notes.txt", "e.jpeg", ".hidden.jpg", "b.JPG"})
        writeTestFile(folder.filePath(QLatin1String(name)), QByteArray("x"));
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("d.jpg")));

    const QStringList names = pictureFileNames(folder.path() + QLatin1Char('/'));
    ASSERT_EQ(names.size(), 4) << names.join(QLatin1Char(' ')).toStdString();
    const QSet<QString> firstTwo(names.begin(), names.begin() + 2);
    EXPECT_EQ(firstTwo, (QSet<QString>{QStringLiteral("a.jpg"), QStringLiteral("b.JPG")}));
    EXPECT_EQ(names[2], QStringLiteral("e.jpeg"));
    EXPECT_EQ(names[3], QStringLiteral("c.bmp"));

    QTemporaryDir empty;
    EXPECT_TRUE(pictureFileNames(empty.path()).isEmpty());
}
