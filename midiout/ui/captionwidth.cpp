#include "midiout/ui/captionwidth.h"

#include <QFontMetrics>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QToolButton>

int captionWidth(const QAbstractButton& button)
{
    QString text = button.text();
    text.remove(QLatin1Char('&'));
    const int caption = button.fontMetrics().horizontalAdvance(text);
    QStyleOptionButton option;
    option.initFrom(&button);
    option.text = text;
    QStyle* style = button.style();
    if (qobject_cast<const QPushButton*>(&button) != nullptr) {
        const QRect contents = style->subElementRect(QStyle::SE_PushButtonContents, &option, &button);
        return caption + button.width() - contents.width();
    }
    // A tool button draws its caption inside its frame.
    return caption + 2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &button);
}
