#include "app/helpwindows.h"

#include <QMessageBox>
#include <QWidget>

#include "midispec/version.h"
#include "platform/synthstatus.h"

namespace {

void showBox(QWidget* parent, const char* name, const QString& title, const QString& text)
{
    auto* box = parent->findChild<QMessageBox*>(QString::fromLatin1(name), Qt::FindDirectChildrenOnly);
    if (box == nullptr) {
        box = new QMessageBox(QMessageBox::Information, title, text, QMessageBox::Close, parent);
        box->setObjectName(QString::fromLatin1(name));
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setWindowModality(Qt::NonModal);
        box->setTextFormat(Qt::PlainText);
    }
    box->setText(text);
    box->show();
    box->raise();
    box->activateWindow();
}

}  // namespace

QString aboutText(const QString& deviceName, const std::optional<platform::SynthOutputStatus>& synth)
{
    QString text = QStringLiteral("Orvelline %1\n"
                                  "A theremin for General MIDI tone modules, played with the pointer.\n\n"
                                  "Licence: MIT (see LICENSE).\n\n")
                       .arg(QStringLiteral(ORVELLINE_VERSION));
    text += QStringLiteral("MIDI output: %1\n").arg(deviceName.isEmpty() ? QStringLiteral("none open") : deviceName);
    if (synth) {
        text += QStringLiteral("SoundFont: %1\n").arg(QString::fromStdString(synth->soundFontFile.string()));
        text += QStringLiteral("Audio output: %1\n").arg(QString::fromStdString(synth->driver));
    }
    return text;
}

QString howToPlayText()
{
    return QStringLiteral("Move the pointer over the picture to play. One axis is the pitch, the other the "
                          "loudness, loudest in the middle; \"X-Axis to Tone\" puts the pitch on the horizontal "
                          "axis, \"Easy Mode\" lets it linger on each semitone. The grid lines mark the semitones.\n\n"
                          "The thin strips at the edges of the picture play the highest and lowest notes. "
                          "Moving off the picture ends the note.\n\n"
                          "While you play, the keys Z X C V B N M , . / set the modulation (vibrato) depth, "
                          "from none on Z to the deepest on /.\n\n"
                          "Escape silences the tone module at once.\n\n"
                          "The panel chooses the instrument, volume, velocity, centre note (Note), pitch-bend "
                          "range (Range), reverb and chorus; Tab moves between its controls. Rec.Start records "
                          "what you play, Replay plays it back, \"Save as MIDI file\" keeps it.\n\n"
                          "Right-click the picture for other pictures, cursors, grid colours and keys; "
                          "right-click elsewhere, or press Shift+F10 or the Menu key, for the device, the "
                          "recorder and MIDI files. Reading a MIDI file (Ctrl+O, or drop it on the window) "
                          "moves you to a channel the song leaves free, so you can play along with \"Play MIDI\".");
}

void showAbout(QWidget* parent, const QString& deviceName, const std::optional<platform::SynthOutputStatus>& synth)
{
    showBox(parent, "AboutBox", QStringLiteral("About Orvelline"), aboutText(deviceName, synth));
}

void showHowToPlay(QWidget* parent)
{
    showBox(parent, "HowToPlayBox", QStringLiteral("How to play"), howToPlayText());
}
