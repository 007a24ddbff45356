// The question before an unsaved take would be lost: by Quit or the window's
// close button, by Rec.Start (which empties the recording) and by reading
// another file.
#include <QFile>
#include <QMessageBox>
#include <QPushButton>

#include "app/tform1.h"
#include "perform/session.h"

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
