#include "app/helpwindows.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>
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
    return QStringLiteral(
        "Playing\n"
        "Move the pointer over the picture to play. One axis is the pitch, the other the loudness, loudest in "
        "the middle; \"X-Axis to Tone\" puts the pitch on the horizontal axis, \"Easy Mode\" lets it linger on "
        "each semitone. The grid lines mark the semitones. The thin strips at the edges of the picture play the "
        "highest and lowest notes; moving off the picture ends the note. Escape silences the tone module at once.\n"
        "\n"
        "Keys\n"
        "While you play, the keys Z X C V B N M , . / set the modulation (vibrato) depth, from none on Z to the "
        "deepest on /. The keys 1 to 5 choose the pitch correction: Off, 25 %, 50 %, 75 %, 100 % (not while a "
        "text field of the panel has the focus).\n"
        "\n"
        "The panel\n"
        "It chooses the instrument and bank, volume, velocity, centre note (Note), pitch-bend range (Range), "
        "modulation, reverb and chorus; \"Setup\" sends them all to the tone module again. Tab moves between its "
        "controls and the arrow keys move a slider, showing its value.\n"
        "\n"
        "The picture's menu\n"
        "Right-click the picture, or open \"Surface\" in the window's menu: \"Load Image\" for another picture, "
        "\"Cursor\", \"Grid Color\", \"Grid Key\", \"Scale\" (the notes the correction pulls towards, rooted on "
        "the grid key) and \"Correction\" (how strongly), and \"Input\": loudness from pen pressure, modulation "
        "from pen tilt, loudness from a MIDI controller of a connected MIDI keyboard, and MIDI thru. A finger on "
        "a touchscreen plays as the pointer does.\n"
        "\n"
        "Recording\n"
        "Rec.Start records what you play, Rec.End stops, Replay plays it back, \"Save as MIDI file\" (Ctrl+S) "
        "keeps it and \"Export audio...\" (Ctrl+E) renders it to a WAV or FLAC file. A take not saved is never "
        "lost without a question.\n"
        "\n"
        "Playing along\n"
        "\"Read MIDI file\" (Ctrl+O, or drop a file on the window) resets the tone module as the file asks, moves "
        "you to a channel the song leaves free and draws the grid in its key; \"Play MIDI\" plays it, \"Stop\" "
        "ends it.\n"
        "\n"
        "Practice\n"
        "In the window's \"Practice\" menu: \"Your part\" leaves one of the song's parts out for you to play, "
        "\"Count-in\", a loop of bars and the tempo. Rec.Start during the song records your take on its clock; "
        "\"Save practice take...\" keeps it with the song and \"Intonation report...\" scores how in tune you "
        "played.\n"
        "\n"
        "The window's menu\n"
        "Right-click outside the picture, or press Shift+F10 or the Menu key: \"Device...\" chooses the MIDI "
        "output and the MIDI input, then the recorder, the MIDI files, Practice, "
        "Surface, \"Recent files\", this help, \"About Orvelline…\" and \"Quit\" (Ctrl+Q).");
}

void showAbout(QWidget* parent, const QString& deviceName, const std::optional<platform::SynthOutputStatus>& synth)
{
    showBox(parent, "AboutBox", QStringLiteral("About Orvelline"), aboutText(deviceName, synth));
}

// A long text in a window that fits the screen: the text scrolls, the Close
// button stays in view.
void showHowToPlay(QWidget* parent)
{
    auto* box = parent->findChild<QDialog*>(QStringLiteral("HowToPlayBox"), Qt::FindDirectChildrenOnly);
    if (box == nullptr) {
        box = new QDialog(parent);
        box->setObjectName(QStringLiteral("HowToPlayBox"));
        box->setWindowTitle(QStringLiteral("How to play"));
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setWindowModality(Qt::NonModal);
        auto* text = new QLabel(howToPlayText());
        text->setObjectName(QStringLiteral("HowToPlayText"));
        text->setTextFormat(Qt::PlainText);
        text->setWordWrap(true);
        text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        text->setContentsMargins(8, 8, 8, 8);
        auto* scroll = new QScrollArea;
        scroll->setWidget(text);
        scroll->setWidgetResizable(true);
        scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
        QObject::connect(buttons, &QDialogButtonBox::rejected, box, &QDialog::close);
        auto* layout = new QVBoxLayout(box);
        layout->addWidget(scroll, 1);
        layout->addWidget(buttons);
        // Seventy characters wide and forty lines tall, never beyond the screen.
        const QFontMetrics metrics(text->font());
        QSize wanted(metrics.averageCharWidth() * 70, metrics.lineSpacing() * 40);
        if (const QScreen* screen = parent->screen())
            wanted = wanted.boundedTo(screen->availableGeometry().size() * 9 / 10);
        box->resize(wanted);
    }
    box->show();
    box->raise();
    box->activateWindow();
}
