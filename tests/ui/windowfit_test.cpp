// Every caption fits its control and every control lies inside its window.
// CMake runs these tests three times: at the default font, with a 14 pt
// desktop font (QT_FONT_DPI=144) and at double scale (QT_SCALE_FACTOR=2),
// which must be set before the application object exists.
#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionButton>
#include <QToolButton>

#include <algorithm>
#include <string>
#include <vector>

#include "app/helpwindows.h"
#include "mainwindow_fixture.h"

namespace {

class WindowFit : public MainWindowTest {};

std::string nameOf(const QWidget* control)
{
    const QString name = control->objectName();
    return (name.isEmpty() ? QString::fromLatin1(control->metaObject()->className()) : name).toStdString();
}

// The room a control gives its text, or an empty size for a control that shows none.
QSize textRoom(const QWidget* control, QString& text)
{
    QStyle* style = control->style();
    if (const auto* label = qobject_cast<const QLabel*>(control)) {
        text = label->text();
        if (label->wordWrap() || label->textFormat() == Qt::RichText)
            return {};
        QRect room = label->contentsRect();
        int indent = label->indent();
        if (indent < 0)
            indent = label->frameWidth() > 0 ? label->fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2 : 0;
        if (label->alignment() & (Qt::AlignLeft | Qt::AlignRight))
            room.setWidth(room.width() - indent);
        return room.size();
    }
    const auto* button = qobject_cast<const QAbstractButton*>(control);
    if (button == nullptr)
        return {};
    text = button->text();
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = text;
    if (qobject_cast<const QCheckBox*>(button) != nullptr)
        return style->subElementRect(QStyle::SE_CheckBoxContents, &option, button).size();
    if (qobject_cast<const QPushButton*>(button) != nullptr)
        return style->subElementRect(QStyle::SE_PushButtonContents, &option, button).size();
    const int frame = style->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, button);
    return button->rect().adjusted(frame, frame, -frame, -frame).size();
}

// What is cut off or out of its window, one line each.
std::vector<std::string> misfits(QWidget& window)
{
    std::vector<std::string> found;
    for (QWidget* control : window.findChildren<QWidget*>()) {
        if (!control->isVisibleTo(&window) || control->isWindow())
            continue;
        const auto* scrolled = qobject_cast<const QAbstractScrollArea*>(control->parentWidget()->parentWidget());
        const bool scrolls = scrolled != nullptr && scrolled->viewport() == control->parentWidget();
        if (!scrolls && !control->parentWidget()->rect().contains(control->geometry()))
            found.push_back(nameOf(control) + " reaches beyond " + nameOf(control->parentWidget()));
        QString text;
        const QSize room = textRoom(control, text);
        text.remove(QLatin1Char('&'));
        if (text.isEmpty() || room.isEmpty())
            continue;
        const QFontMetrics metrics = control->fontMetrics();
        for (const QString& line : text.split(QLatin1Char('\n'))) {
            if (metrics.horizontalAdvance(line) > room.width())
                found.push_back(nameOf(control) + ": \"" + line.toStdString() + "\" needs " +
                                std::to_string(metrics.horizontalAdvance(line)) + " of " +
                                std::to_string(room.width()));
        }
        if (metrics.height() * text.count(QLatin1Char('\n')) + metrics.height() > room.height())
            found.push_back(nameOf(control) + ": too low for \"" + text.toStdString() + "\"");
    }
    // Controls cover the window's bottom edge (inside its layout's margins):
    // no empty strip is left there.
    int margin = 8;
    if (const QLayout* layout = window.layout()) {
        const QMargins margins = layout->contentsMargins();
        margin += std::max({margins.left(), margins.right(), margins.bottom()});
    }
    const QList<QWidget*> parts = window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (int x = margin; x < window.width() - margin; x += 8) {
        const QPoint point(x, window.height() - 1 - margin);
        if (std::none_of(parts.begin(), parts.end(), [&](const QWidget* part) {
                return part->isVisibleTo(&window) && !part->isWindow() && part->geometry().contains(point);
            })) {
            found.push_back("an empty strip at the bottom, at x = " + std::to_string(x));
            break;
        }
    }
    return found;
}

}  // namespace

TEST_F(WindowFit, EveryCaptionFitsTheMainDeviceAndDebugWindows)
{
    for (QWidget* window : std::vector<QWidget*>{form.get(), device.get(), debugWindow.get()}) {
        SCOPED_TRACE(nameOf(window));
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        for (const std::string& misfit : misfits(*window))
            ADD_FAILURE() << misfit;
    }
    // The recorder's state while it records, with the scrolling text beside the buttons.
    form->ArecStart->trigger();
    for (const std::string& misfit : misfits(*form))
        ADD_FAILURE() << misfit;
    form->ArecEnd->trigger();
}

TEST_F(WindowFit, HowToPlayFitsTheScreenWithItsCloseButtonInView)
{
    showHowToPlay(form.get());
    auto* help = form->findChild<QDialog*>(QStringLiteral("HowToPlayBox"));
    ASSERT_NE(help, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(help));
    const QRect screen = help->screen()->availableGeometry();
    EXPECT_TRUE(screen.contains(help->frameGeometry()))
        << "help " << help->frameGeometry().width() << "x" << help->frameGeometry().height() << " on a screen "
        << screen.width() << "x" << screen.height();
    auto* buttons = help->findChild<QDialogButtonBox*>();
    ASSERT_NE(buttons, nullptr);
    QPushButton* close = buttons->button(QDialogButtonBox::Close);
    ASSERT_NE(close, nullptr);
    EXPECT_TRUE(close->isVisible());
    EXPECT_TRUE(screen.contains(QRect(close->mapToGlobal(QPoint(0, 0)), close->size())));
    for (const std::string& misfit : misfits(*help))
        ADD_FAILURE() << misfit;
    help->close();
}
