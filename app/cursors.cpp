#include "app/cursors.h"

#include <QBitmap>
#include <QImage>
#include <QSize>

#include <array>
#include <cstdint>
#include <stdexcept>

// The resources live in a static library, where nothing else would pull them
// into the program; Q_INIT_RESOURCE must be called outside any namespace.
static void registerCursorResources()
{
    Q_INIT_RESOURCE(cursors);
}

namespace {

struct CursorShape {
    const char* name;
    int hotX;
    int hotY;
};

constexpr std::array kCursorShapes{
    CursorShape{"CURSOR1", 29, 21},  // the tip of the pointing finger
    CursorShape{"CURSOR2", 20, 3},   // the tip of the baton
    CursorShape{"NEKONOTE", 7, 19},  // the paw's outer toe
};

constexpr int kSide = 32;

const CursorShape& shapeNamed(const QString& name)
{
    for (const CursorShape& shape : kCursorShapes)
        if (name == QLatin1String(shape.name))
            return shape;
    throw std::runtime_error("No cursor resource <" + name.toStdString() + ">");
}

}  // namespace

QCursor loadCursorResource(const QString& resourceName)
{
    static const bool registered = (registerCursorResources(), true);
    (void)registered;

    const CursorShape& shape = shapeNamed(resourceName);
    const QImage art = QImage(QStringLiteral(":/cursors/") + resourceName).convertToFormat(QImage::Format_ARGB32);
    if (art.size() != QSize(kSide, kSide))
        throw std::runtime_error("Cursor resource <" + resourceName.toStdString() + "> is not a 32 x 32 picture");

    // One bit per pixel, least significant bit first: ink 1 is black, mask 1 is opaque.
    constexpr int kRowBytes = kSide / 8;
    std::array<std::uint8_t, kSide * kRowBytes> ink{};
    std::array<std::uint8_t, kSide * kRowBytes> mask{};
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) {
            const QRgb pixel = art.pixel(x, y);
            if (qAlpha(pixel) < 128)
                continue;
            const int byte = y * kRowBytes + x / 8;
            const auto bit = static_cast<std::uint8_t>(1u << (x % 8));
            mask[byte] |= bit;
            if (qGray(pixel) < 128)
                ink[byte] |= bit;
        }
    const QSize size(kSide, kSide);
    return QCursor(QBitmap::fromData(size, ink.data()), QBitmap::fromData(size, mask.data()), shape.hotX, shape.hotY);
}
