#include "app/panelentries.h"

#include <QComboBox>
#include <QLineEdit>

#include <memory>
#include <stdexcept>
#include <string>

#include "app/handlerguard.h"
#include "app/strtoint.h"
#include "perform/recordentry.h"
#include "perform/session.h"
#include "perform/surfacemapping.h"
#include "perform/vidize.h"

namespace {

// Anything but a bank byte or -1 would put a status byte where the tone module expects data.
bool isBankByte(int bank)
{
    return bank >= -1 && bank <= 127;
}

// A bad bank is said once and the edit shows the bank the module holds
// again. Leaving the edit with the bank in use sends nothing again.
void commitBank(const PanelEntries& entries, QLineEdit& edit, std::uint8_t stored)
{
    int bank = 0;
    try {
        bank = bankNumber(edit.text());
    } catch (...) {
        edit.setText(bankText(stored));
        throw;
    }
    if (bank != (stored == kBankLeftOut ? -1 : int(stored)))
        entries.programChanged();
}

// A text that says the range already in use was sent when it was chosen or
// committed before; leaving the box with it, or choosing it again, sends
// nothing again.
void commitRange(const PanelEntries& entries)
{
    bool ok = false;
    const int typed = entries.range.currentText().trimmed().toInt(&ok, 10);
    if (ok && typed == entries.session.axis().rangeSemitones)
        return;
    entries.rangeChanged();
}

}  // namespace

int bankNumber(const QString& text)
{
    const int bank = StrToInt(text);
    if (!isBankByte(bank))
        throw std::runtime_error("'" + text.toStdString() +
                                 "' is not a valid bank number (0-127, or -1 to leave it out)");
    return bank;
}

QString bankText(std::uint8_t stored)
{
    return stored == kBankLeftOut ? QStringLiteral("-1") : QString::number(stored);
}

int committedBank(const QLineEdit& edit, std::uint8_t stored)
{
    bool ok = false;
    const int bank = edit.text().trimmed().toInt(&ok, 10);
    if (ok && isBankByte(bank))
        return bank;
    return stored == kBankLeftOut ? -1 : int(stored);
}

bool isBendRange(const QString& text)
{
    bool ok = false;
    const int range = text.trimmed().toInt(&ok, 10);
    return ok && range >= 1 && range <= surface::kMaxBendRange;
}

void connectPanelEntries(const PanelEntries& entries)
{
    // The connections outlive this call; they keep their own copy.
    auto kept = std::make_shared<const PanelEntries>(entries);
    QWidget* window = &entries.window;
    QObject::connect(&entries.bankMsb, &QLineEdit::editingFinished, window, [kept] {
        runGuarded([&] { commitBank(*kept, kept->bankMsb, kept->session.performer().BankMSB); });
    });
    QObject::connect(&entries.bankLsb, &QLineEdit::editingFinished, window, [kept] {
        runGuarded([&] { commitBank(*kept, kept->bankLsb, kept->session.performer().BankLSB); });
    });
    // Completion would show (and send) "12" for a "1" on the way to "1" or "16".
    entries.range.setCompleter(nullptr);
    QObject::connect(entries.range.lineEdit(), &QLineEdit::editingFinished, window,
                     [kept] { runGuarded([&] { commitRange(*kept); }); });
    // Enter on a text of the list also counts as choosing it, after the commit.
    QObject::connect(&entries.range, &QComboBox::activated, window,
                     [kept] { runGuarded([&] { commitRange(*kept); }); });
}
