#include "app/settingslines.h"

#include <QString>

QStringList settingsFileLines(const QByteArray& text)
{
    QStringList lines;
    for (QByteArray line : text.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        lines << QString::fromUtf8(line);
    }
    // The end of the last line is not the start of another one.
    if (text.endsWith('\n'))
        lines.removeLast();
    return lines;
}

QByteArray settingsFileText(const QStringList& values)
{
    QByteArray text;
    for (QString value : values) {
        value.remove(QLatin1Char('\r')).remove(QLatin1Char('\n'));
        text += value.toUtf8() + "\r\n";
    }
    return text;
}
