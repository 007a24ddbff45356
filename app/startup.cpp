// The main window's life: what it does when it is created, first shown,
// resized, closed and destroyed, and the two ways it reaches the device window.
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QImage>
#include <QMenu>
#include <QMetaObject>
#include <QResizeEvent>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QString>

#include "app/anchors.h"
#include "app/appfolders.h"
#include "app/correctioncontrols.h"
#include "app/handlerguard.h"
#include "app/inputmenu.h"
#include "app/tform1.h"
#include "app/widgets.h"
#include "app/windowplace.h"
#include "mididata/messagesink.h"
#include "mididata/song.h"
#include "mididata/track.h"
#include "midiout/midigateway.h"
#include "midiout/ui/tmididevice.h"
#include "midispec/midispec.h"
#include "perform/session.h"
#include "perform/vidize.h"
#include "platform/inifile.h"

namespace {

constexpr int kFirstInstrument = 78;

}  // namespace

void TForm1::FormCreate()
{
    // The program's own folder, or the per-user folder of an installed copy.
    AppFolder = settingsFolderPath(folders_);
    // Panel1 follows all four edges of the window (anchors.h); Qt widgets draw
    // double-buffered already. The status text's canvas starts blank, in the
    // button-face colour its text is drawn on.
    Image2->setPicture(QImage(Image2->size(), QImage::Format_RGB32));
    StopMarquee();
}

void TForm1::FormShow()
{
    InstallCursor1(QStringLiteral("CURSOR1"));
    session_.gateway().SetFolder(AppFolder.toStdString());
    session_.initSound();
    {
        // Filling the list is not a choice of the user: nothing is sent.
        const QSignalBlocker quiet(ProgChg);
        ProgChg->clear();
        for (int program = 0; program < kProgramCount; ++program)
            ProgChg->addItem(QString::fromStdString(ProgramName(program)));
        ProgChg->setCurrentIndex(kFirstInstrument);
    }
    Correction->load(settings_);
    Input->load(settings_);
    // The first start has no settings to redraw it: the grid must show C at once.
    DrawGrid();
    ReadSettings();
    restoreMaximized(*this, settings_);
    ColorEdges();
    reportStartProblems();
    offerKeptTake();
    // The keys belong to the surface from the start, not to the first entry of
    // the panel, where a modulation key would land as text.
    Panel1->setFocus();
}

bool TForm1::FormCloseQuery()
{
    return takeMayGo();
}

void TForm1::FormClose()
{
    saveMaximized(*this, settings_);
    WriteSettings();
    Correction->save(settings_);
    Input->save(settings_);
    // A file that cannot be written says why (writeWholeFile); the window
    // keeps what it holds.
    settings_.save();
    // A take still unsaved here is one the close did not ask about: it stays
    // kept for the next start. Otherwise nothing is left to keep.
    if (session_.hasUnsavedTake())
        session_.keepTakeNow();
    else
        session_.dropKeptTake();
}

// Everything the settings files held that could not be used, in one message:
// a file of a thousand bad lines must not stand a thousand boxes in the way.
void TForm1::reportStartProblems()
{
    std::string text;
    for (const std::string& problem : startProblems_)
        text += problem + "\n";
    startProblems_.clear();
    if (!settings_.problems().empty())
        text += platform::problemSummary(settings_.problems()) + "\nThese settings keep their defaults.";
    if (!text.empty())
        reportMessage(text.back() == '\n' ? text.substr(0, text.size() - 1) : text);
}

// The session outlives the window: it must never call back into it.
void TForm1::FormDestroy()
{
    session_.gateway().StopPlayback();
    session_.setListener(nullptr);
}

void TForm1::FormResize()
{
    DrawGrid();
}

void TForm1::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (shown_)
        return;
    shown_ = true;
    runGuarded([this] { FormShow(); });
}

void TForm1::closeEvent(QCloseEvent* event)
{
    if (closedWithoutQuestions_) {
        event->accept();
        return;
    }
    bool mayClose = true;
    runGuarded([&] { mayClose = FormCloseQuery(); });
    if (!mayClose) {
        event->ignore();
        return;
    }
    runGuarded([this] { FormClose(); });
    event->accept();
}

void TForm1::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    followAnchors(this);
    runGuarded([this] { FormResize(); });
}

void TForm1::contextMenuEvent(QContextMenuEvent* event)
{
    runGuarded([this] { UpdateActions(); });
    PopupMenu1->popup(event->globalPos());
}

void TForm1::Device1Click()
{
    if (MidiDevice != nullptr)
        MidiDevice->exec();
}
