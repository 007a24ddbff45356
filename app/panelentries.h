#pragma once
// The panel's typed entries, the two bank edits and the range box. A typed
// value counts once the user commits it, with Enter or by leaving the entry;
// it is checked then and a bad one is said once. A partial or empty text
// waits, sends nothing and opens no message box. A bad committed value goes
// back to the value the tone module holds, so the panel never shows a value
// that was not sent. A choice from the range list counts at once. An entry
// left or chosen with the value in use sends nothing again.
#include <QString>

#include <cstdint>
#include <functional>

class QComboBox;
class QLineEdit;
class QWidget;
class Session;

// The bank select byte of the text: 0-127, or -1 to leave the message out.
// Anything else throws with the reason.
int bankNumber(const QString& text);
// The text of a bank byte as the performer keeps it (a left-out bank is "-1").
QString bankText(std::uint8_t stored);
// The bank the edit stands for: its text when that is a bank number, else the
// byte the tone module was sent last (the text is still being typed).
int committedBank(const QLineEdit& edit, std::uint8_t stored);
// Whether the text is a bend range the tone module can take.
bool isBendRange(const QString& text);

// The entries and what a committed change calls: the panel's handlers for a
// new program (banks) and a new range.
struct PanelEntries {
    QWidget& window;
    Session& session;
    QLineEdit& bankMsb;
    QLineEdit& bankLsb;
    QComboBox& range;
    std::function<void()> programChanged;
    std::function<void()> rangeChanged;
};

// Connects each entry's commit, and a choice from the range list, to its handler.
void connectPanelEntries(const PanelEntries& entries);
