#include "app/picturefile.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>

#include <cstdint>
#include <cstring>
#include <span>
#include <stdexcept>

#include "app/bitmapfile.h"
#include "app/jpegdecoder.h"

namespace {

// A picture larger than this is not a picture but a mistake; refusing it
// keeps a stray disc image from being read into memory whole.
constexpr qint64 kMaxPictureFileBytes = qint64{256} * 1024 * 1024;

[[noreturn]] void fail(const QString& message)
{
    throw std::runtime_error(message.toStdString());
}

QByteArray readPictureBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        fail(QStringLiteral("Cannot open %1: %2").arg(path, file.errorString()));
    if (file.size() > kMaxPictureFileBytes)
        fail(QStringLiteral("%1 is too large for a picture").arg(path));
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        fail(QStringLiteral("Cannot read %1: %2").arg(path, file.errorString()));
    return bytes;
}

QImage decodeJpegToImage(const QByteArray& bytes)
{
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData());
    const RgbImage decoded = decodeJpeg(std::span(data, std::size_t(bytes.size())));
    QImage image(decoded.width, decoded.height, QImage::Format_RGB888);
    if (image.isNull())
        fail(QStringLiteral("Not enough memory for a %1 x %2 picture").arg(decoded.width).arg(decoded.height));
    // QImage pads its rows to whole 32-bit words; the decoder does not.
    const std::size_t rowBytes = std::size_t(decoded.width) * 3;
    for (int y = 0; y < decoded.height; ++y)
        std::memcpy(image.scanLine(y), decoded.pixels.data() + rowBytes * std::size_t(y), rowBytes);
    return image;
}

}  // namespace

void LoadPicture(QImage& bitmap, const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString extension = dot < 0 ? QString() : name.mid(dot).toLower();
    if (extension == QLatin1String(".jpg") || extension == QLatin1String(".jpeg"))
        bitmap = decodeJpegToImage(readPictureBytes(path));
    else if (extension == QLatin1String(".bmp"))
        bitmap = decodeBitmap(readPictureBytes(path));
    else
        fail(QStringLiteral("Illegal file extension <") + extension + QLatin1Char('>'));
}

QStringList pictureFileNames(const QString& folder)
{
    const QDir dir(folder);
    QStringList names;
    for (const char* pattern : {"*.jpg", "*.jpeg", "*.bmp"}) {
        // Without QDir::Hidden and QDir::System those are left out; name
        // filters match without regard to case unless told otherwise.
        const QStringList matches = dir.entryList({QLatin1String(pattern)}, QDir::Files, QDir::Unsorted);
        for (const QString& name : matches)
            if (!name.startsWith(QLatin1Char('.')))
                names << name;
    }
    return names;
}

QList<PictureFile> pictureFiles(const QStringList& folders)
{
    QList<PictureFile> pictures;
    for (const QString& folder : folders)
        for (const QString& name : pictureFileNames(folder))
            pictures.append({name, folder + name});
    return pictures;
}
