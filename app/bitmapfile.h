#pragma once
// Decodes the bytes of a Windows bitmap (.bmp) with Qt's reader. That reader
// stops quietly where a file ends early and leaves the missing rows holding
// whatever memory held before, so the length the header promises is checked
// first and a short file is refused.
#include <QImage>

class QByteArray;

// Throws std::runtime_error: "Premature end of BMP file", or Qt's reason.
QImage decodeBitmap(const QByteArray& bytes);
