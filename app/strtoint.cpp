#include "app/strtoint.h"

#include <QString>

#include <optional>
#include <stdexcept>

#include "platform/settingstext.h"

int StrToInt(const QString& text)
{
    // Qt trims every kind of blank a control may hold; the number itself is read as the settings files read theirs.
    const std::optional<int> value = platform::wholeNumber(text.trimmed().toStdString());
    if (!value)
        throw std::runtime_error("'" + text.toStdString() + "' is not a valid integer value");
    return *value;
}
