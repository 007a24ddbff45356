// The question before an unsaved take would be lost: by Quit or the window's
// close button, by Rec.Start (which empties the recording) and by reading
// another file. And the take's recovery file: kept up to date while the take
// is unsaved, so that a crash, kill -9 or the display going away loses
// nothing, and offered back at the next start.
#include <QCoreApplication>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QString>
#include <QTimer>

#include <chrono>
#include <exception>

#include "app/handlerguard.h"
#include "app/tform1.h"
#include "mididata/messagesink.h"
#include "perform/session.h"

namespace {

// Twice a second, so the file is never more than a second behind the take.
constexpr std::chrono::milliseconds kKeepInterval{500};
const char* const kKeptTakeFile = "unsaved-take.mid";

}  // namespace

TForm1::TakeAnswer askAboutUnsavedTake(QWidget* parent)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Orvelline"),
                    QStringLiteral("The take you recorded has not been saved."), QMessageBox::NoButton, parent);
    box.setInformativeText(QStringLiteral("Save it as a MIDI file before it is lost?"));
    QPushButton* save = box.addButton(QStringLiteral("Save"), QMessageBox::AcceptRole);
    QPushButton* discard = box.addButton(QStringLiteral("Discard"), QMessageBox::DestructiveRole);
    QPushButton* cancel = box.addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
    box.setDefaultButton(save);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == save)
        return TForm1::TakeAnswer::Save;
    if (box.clickedButton() == discard)
        return TForm1::TakeAnswer::Discard;
    return TForm1::TakeAnswer::Cancel;
}

bool TForm1::takeMayGo()
{
    if (!session_.hasUnsavedTake())
        return true;
    switch (AskAboutTake ? AskAboutTake() : TakeAnswer::Cancel) {
    case TakeAnswer::Discard: session_.discardTake(); return true;
    case TakeAnswer::Save: {
        const QString path = SaveDialog1 ? SaveDialog1() : QString();
        return !path.isEmpty() && session_.saveRecording(QFile::encodeName(path).toStdString());
    }
    case TakeAnswer::Cancel: break;
    }
    return false;
}

TForm1::KeptTakeAnswer askAboutKeptTake(QWidget* parent)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Orvelline"),
                    QStringLiteral("A take you recorded was not saved when Orvelline last ended."),
                    QMessageBox::NoButton, parent);
    box.setInformativeText(QStringLiteral("Restore it as the recorded take, or discard it?"));
    QPushButton* restore = box.addButton(QStringLiteral("Restore"), QMessageBox::AcceptRole);
    QPushButton* discard = box.addButton(QStringLiteral("Discard"), QMessageBox::DestructiveRole);
    box.setDefaultButton(restore);
    // Closing the box loses nothing: the take comes back, and quitting asks about it.
    box.setEscapeButton(restore);
    box.exec();
    return box.clickedButton() == discard ? TForm1::KeptTakeAnswer::Discard : TForm1::KeptTakeAnswer::Restore;
}

void TForm1::keepUnsavedTakes()
{
    session_.keepTakesIn(folders_.settingsFolder() / kKeptTakeFile);
    auto* keeper = new QTimer(this);
    keeper->setInterval(kKeepInterval);
    connect(keeper, &QTimer::timeout, this, [this] { runGuarded([this] { session_.keepTake(); }); });
    keeper->start();
}

void TForm1::offerKeptTake()
{
    if (!session_.hasKeptTake())
        return;
    if ((AskAboutKeptTake ? AskAboutKeptTake() : KeptTakeAnswer::Restore) == KeptTakeAnswer::Discard) {
        session_.dropKeptTake();
        return;
    }
    try {
        session_.restoreKeptTake();
    } catch (const std::exception& error) {
        const std::string aside = session_.setKeptTakeAside().string();
        reportMessage("The take kept from the last run cannot be restored: " + std::string(error.what()) +
                      " The file is left as " + aside + ".");
    }
}

void TForm1::closeWithoutQuestions()
{
    if (!closedWithoutQuestions_) {
        closedWithoutQuestions_ = true;
        runGuarded([this] { FormClose(); });
        hide();
    }
    // Also ends a modal box or dialog that is open: no one answers it now.
    QCoreApplication::quit();
}
