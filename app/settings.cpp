// there.cfg: the main window's place and the panel's settings, one value a
// line, 21 lines with CR LF ends, in the program folder. Each line is read
// back through the control it came from, and takes effect as a user's change
// of that control does. Each line stands on its own: a line that cannot be
// used keeps its default and the lines after it still apply; the bad lines
// are named together in one message. Nothing is written that reading would
// refuse: an entry still being typed is written as the value in use.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QRect>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/handlerguard.h"
#include "app/panelentries.h"
#include "app/settingslines.h"
#include "app/strtoint.h"
#include "app/tform1.h"
#include "app/widgets.h"
#include "app/windowplace.h"
#include "mididata/wholefile.h"
#include "perform/session.h"
#include "perform/surfacemapping.h"
#include "perform/vidize.h"

namespace {

// One line of the file: what is written from the window, and how the line is
// applied to it. A line that cannot be applied throws with the reason.
struct Setting {
    std::function<QString(TForm1&)> write;
    std::function<void(TForm1&, const QString&)> read;
};

using Handler = void (TForm1::*)();
template <class Owner, class T>
using Member = T Owner::*;

int numberIn(const QString& line)
{
    return StrToInt(line);
}

int numberBetween(const QString& line, int minimum, int maximum)
{
    const int value = numberIn(line);
    if (value < minimum || value > maximum)
        throw std::runtime_error(std::to_string(value) + " is outside " + std::to_string(minimum) + " to " +
                                 std::to_string(maximum));
    return value;
}

// The window can be given any place, but not a size beyond the desktop, which
// would only cost memory for the grid layer.
QSize sizeOnDesktop(const TForm1& form, QSize size)
{
    if (const QScreen* screen = form.screen())
        size = size.boundedTo(screen->availableVirtualGeometry().size().expandedTo(form.minimumSize()));
    return size;
}

// Lines 2-5 hold the client area's normal geometry (windowplace.h), kept
// on the screen once the last of them is read.
Setting windowEdge(int (QRect::*get)() const, void (*set)(QRect&, int), bool isSize, bool isLast = false)
{
    return {[get](TForm1& form) { return QString::number((normalWindowPlace(form).*get)()); },
            [set, isSize, isLast](TForm1& form, const QString& line) {
                QRect place = form.geometry();
                set(place, numberIn(line));
                if (isSize)
                    place.setSize(sizeOnDesktop(form, place.size()));
                if (isLast)
                    placeWindow(form, place, form.settings());
                else
                    form.setGeometry(place);
            }};
}

Setting windowTop()
{
    const auto moveTop = [](QRect& r, int v) { r.moveTop(v); };
    return windowEdge(&QRect::top, moveTop, false);
}

Setting windowLeft()
{
    const auto moveLeft = [](QRect& r, int v) { r.moveLeft(v); };
    return windowEdge(&QRect::left, moveLeft, false);
}

Setting windowWidth()
{
    const auto setWidth = [](QRect& r, int v) { r.setWidth(v); };
    return windowEdge(&QRect::width, setWidth, true);
}

Setting windowHeight()
{
    const auto setHeight = [](QRect& r, int v) { r.setHeight(v); };
    return windowEdge(&QRect::height, setHeight, true, true);
}

// The bank is checked before the edit shows it, so a bad line leaves the edit
// as it was; then the instrument handler runs once, as after a change by the
// user. A text being typed is written as the bank the tone module holds.
Setting bankEdit(Member<TForm1, QLineEdit*> edit, Member<TVidize, std::uint8_t> stored)
{
    return {[edit, stored](TForm1& form) {
                const std::uint8_t held = form.session().performer().*stored;
                const QString text = (form.*edit)->text();
                bool ok = false;
                const int typed = text.trimmed().toInt(&ok, 10);
                return ok && typed == (held == kBankLeftOut ? -1 : int(held)) ? text : bankText(held);
            },
            [edit](TForm1& form, const QString& line) {
                bankNumber(line);
                (form.*edit)->setText(line);
                form.ProgChgChange();
            }};
}

Setting position(Member<TForm1, QScrollBar*> bar, Handler handler)
{
    return {[bar](TForm1& form) { return QString::number((form.*bar)->value()); },
            [bar, handler](TForm1& form, const QString& line) {
                QScrollBar* control = form.*bar;
                const int value = numberBetween(line, control->minimum(), control->maximum());
                {
                    const QSignalBlocker quiet(control);
                    control->setValue(value);
                }
                (form.*handler)();
            }};
}

Setting instrument()
{
    return {[](TForm1& form) { return QString::number(form.ProgChg->currentIndex()); },
            [](TForm1& form, const QString& line) {
                const int index = numberBetween(line, 0, form.ProgChg->count() - 1);
                {
                    const QSignalBlocker quiet(form.ProgChg);
                    form.ProgChg->setCurrentIndex(index);
                }
                form.ProgChgChange();
            }};
}

Setting centreNote()
{
    return {[](TForm1& form) { return QString::number(form.UpDownNoteNo->Position); },
            [](TForm1& form, const QString& line) {
                form.UpDownNoteNo->setPosition(numberBetween(line, form.UpDownNoteNo->Min, form.UpDownNoteNo->Max));
                form.UpDownNoteNoClick();
            }};
}

// Written as typed when that is the range in use, else as the range in use.
Setting bendRange()
{
    return {[](TForm1& form) {
                const QString text = form.BendRange->currentText();
                return isBendRange(text) && StrToInt(text) == form.session().axis().rangeSemitones
                           ? text
                           : QString::number(form.session().axis().rangeSemitones);
            },
            [](TForm1& form, const QString& line) {
                if (!isBendRange(line))
                    throw std::runtime_error("'" + std::to_string(numberIn(line)) + "' is not a bend range (1-" +
                                             std::to_string(surface::kMaxBendRange) + ")");
                {
                    const QSignalBlocker quiet(form.BendRange);
                    form.BendRange->setEditText(line);
                }
                form.BendRangeChange();
            }};
}

Setting checkBox(Member<TForm1, QCheckBox*> box)
{
    return {[box](TForm1& form) { return (form.*box)->isChecked() ? QStringLiteral("1") : QStringLiteral("0"); },
            [box](TForm1& form, const QString& line) {
                const bool checked = numberIn(line) != 0;
                {
                    const QSignalBlocker quiet(form.*box);
                    (form.*box)->setChecked(checked);
                }
                form.XAxToneClick();
            }};
}

// A picture that is gone is skipped; one that cannot be loaded is reported
// and the built-in picture stays. Neither is a fault of the settings, so
// reading goes on, and the name is written back as it was.
Setting picture()
{
    return {[](TForm1& form) { return form.ImageFile; },
            [](TForm1& form, const QString& line) {
                form.ImageFile = line;
                if (line.isEmpty() || !QFileInfo(line).isFile())
                    return;
                runGuarded([&] { form.LoadSurfacePicture(line); });
            }};
}

// Every entry of the submenu whose caption, without "&", is the line is chosen as if clicked.
Setting menuChoice(Member<TForm1, QString> caption, Member<TForm1, QMenu*> menu)
{
    return {[caption](TForm1& form) { return QString(form.*caption).remove(QLatin1Char('&')); },
            [menu](TForm1& form, const QString& line) {
                for (QAction* entry : (form.*menu)->actions())
                    if (!entry->isSeparator() && QString(entry->text()).remove(QLatin1Char('&')) == line)
                        entry->trigger();
            }};
}

const std::vector<Setting>& settingLines()
{
    static const std::vector<Setting> lines{
        {[](TForm1&) { return QStringLiteral("000"); },
         [](TForm1&, const QString& line) { numberIn(line); }},  // the data version, not checked
        windowTop(),
        windowLeft(),
        windowWidth(),
        windowHeight(),
        bankEdit(&TForm1::BSM, &TVidize::BankMSB),
        bankEdit(&TForm1::BSL, &TVidize::BankLSB),
        instrument(),
        position(&TForm1::Volume, &TForm1::VolumeChange),
        centreNote(),
        position(&TForm1::Velosity, &TForm1::VelosityChange),
        position(&TForm1::Moduration, &TForm1::ModurationChange),
        bendRange(),
        position(&TForm1::Reverb, &TForm1::ReverbChange),
        position(&TForm1::Chorus, &TForm1::ChorusChange),
        checkBox(&TForm1::EasyMode),
        checkBox(&TForm1::XAxTone),
        picture(),
        menuChoice(&TForm1::CursorName, &TForm1::Cursor1),
        menuChoice(&TForm1::GridColorName, &TForm1::GridColor2),
        menuChoice(&TForm1::GridKeyName, &TForm1::GridKey1),
    };
    return lines;
}

QString settingsPath(const TForm1& form)
{
    return form.AppFolder + QStringLiteral("there.cfg");
}

// One text for the whole file, naming every line that was not used.
std::string badLinesText(const QString& path, const QStringList& problems)
{
    return QStringLiteral("Settings file %1: %2. These settings keep their defaults; the others were read.")
        .arg(path, problems.join(QStringLiteral("; ")))
        .toStdString();
}

// A reason quotes the line; of a very long line, its beginning is enough.
QString shortReason(const char* what)
{
    constexpr qsizetype kLongest = 100;
    const QString reason = QString::fromUtf8(what);
    return reason.size() <= kLongest ? reason : reason.left(kLongest) + QStringLiteral("...");
}

}  // namespace

void TForm1::ReadSettings()
{
    const QString path = settingsPath(*this);
    QFile file(path);
    if (file.exists() && !file.open(QIODevice::ReadOnly)) {
        startProblems_.push_back(
            QStringLiteral("Settings file %1 cannot be read: %2; the settings keep their defaults.")
                .arg(path, file.errorString())
                .toStdString());
    } else if (file.isOpen()) {
        const QStringList lines = settingsFileLines(file.readAll());
        const std::vector<Setting>& table = settingLines();
        QStringList problems;
        for (std::size_t i = 0; i < table.size() && i < std::size_t(lines.size()); ++i) {
            try {
                table[i].read(*this, lines[qsizetype(i)]);
            } catch (const std::exception& error) {
                problems << QStringLiteral("line %1 (%2)").arg(i + 1).arg(shortReason(error.what()));
            }
        }
        if (std::size_t(lines.size()) < table.size())
            problems << QStringLiteral("lines %1-%2 (missing, the file ends after line %3)")
                            .arg(lines.size() + 1)
                            .arg(table.size())
                            .arg(lines.size());
        if (!problems.isEmpty())
            startProblems_.push_back(badLinesText(path, problems));
    }
    // Also at the first start: the tone module holds what the panel shows.
    SetupClick();
}

void TForm1::WriteSettings()
{
    QStringList lines;
    for (const Setting& setting : settingLines())
        lines << setting.write(*this);
    const QByteArray text = settingsFileText(lines);
    writeWholeFile(QFile::encodeName(settingsPath(*this)).toStdString(), text.constData(), std::size_t(text.size()));
}
