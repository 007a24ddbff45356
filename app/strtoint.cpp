#include "app/strtoint.h"

#include <QString>

#include <stdexcept>

int StrToInt(const QString& text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (!ok)
        throw std::runtime_error("'" + text.toStdString() + "' is not a valid integer value");
    return value;
}
