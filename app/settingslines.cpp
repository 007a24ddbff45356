#include "app/settingslines.h"

#include <QString>

#include <string_view>

#include "platform/settingstext.h"

QStringList settingsFileLines(const QByteArray& text)
{
    QStringList lines;
    for (const std::string& line :
         platform::settingsFileLines(std::string_view(text.constData(), std::size_t(text.size()))))
        lines << QString::fromUtf8(line.data(), qsizetype(line.size()));
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
