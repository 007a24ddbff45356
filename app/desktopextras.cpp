// What a newcomer expects of a desktop program, added to the designed window
// without moving any of its controls, captions or menu entries: the usual
// shortcuts, a keyboard way into the menus, Tab through the whole panel in
// the order it reads, help and version, recent and dropped files, slider hints
// that show the value, and a status line that says how to begin.
#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QToolButton>
#include <QToolTip>
#include <QUrl>

#include <string>
#include <vector>

#include "app/handlerguard.h"
#include "app/helpwindows.h"
#include "app/recentfiles.h"
#include "app/tform1.h"
#include "app/widgets.h"
#include "app/windowplace.h"
#include "midiout/midigateway.h"
#include "midiout/ui/tmididevice.h"
#include "perform/session.h"
#include "perform/vidize.h"

namespace {

const char* const kBaseHint = "orvBaseHint";

template <typename Object>
Object* named(Object* object, const char* name)
{
    object->setObjectName(QString::fromLatin1(name));
    return object;
}

// A slider's hint: its designed text and, after it, the value it stands at.
void showValueInHint(QScrollBar* bar)
{
    bar->setProperty(kBaseHint, bar->toolTip());
    const auto update = [bar] {
        bar->setToolTip(QStringLiteral("%1 (%2)").arg(bar->property(kBaseHint).toString()).arg(bar->value()));
    };
    update();
    QObject::connect(bar, &QScrollBar::valueChanged, bar, update);
    // Moved by the keys or dragged, it shows the value at once, below itself.
    QObject::connect(bar, &QScrollBar::valueChanged, bar, [bar] {
        if (bar->hasFocus() || bar->isSliderDown())
            QToolTip::showText(bar->mapToGlobal(QPoint(0, bar->height())), bar->toolTip(), bar);
    });
}

// The first local file among the dropped ones; empty when there is none.
QString droppedFile(const QMimeData* data)
{
    if (data == nullptr || !data->hasUrls())
        return {};
    for (const QUrl& url : data->urls())
        if (url.isLocalFile() && QFileInfo(url.toLocalFile()).isFile())
            return url.toLocalFile();
    return {};
}

// A file dropped anywhere on the window is read as "Read MIDI file" reads it.
class FileDrop : public QObject {
public:
    explicit FileDrop(TForm1* form) : QObject(form), form_(form) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (!droppedFile(drag->mimeData()).isEmpty()) {
                drag->acceptProposedAction();
                return true;
            }
        } else if (event->type() == QEvent::Drop) {
            auto* drop = static_cast<QDropEvent*>(event);
            const QString file = droppedFile(drop->mimeData());
            if (!file.isEmpty()) {
                drop->acceptProposedAction();
                runGuarded([&] { form_->ReadMidiFile(file); });
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    TForm1* form_;
};

// The device's line as the device window lists it.
QString deviceInUse()
{
    if (MidiDevice == nullptr || !MidiDevice->gateway().isOpen())
        return {};
    const MidiGateway& gateway = MidiDevice->gateway();
    const std::vector<std::string> lines = gateway.DeviceLines();
    const std::size_t line = std::size_t(gateway.DeviceID + 1);
    return line < lines.size() ? QString::fromStdString(lines[line]) : QString();
}

}  // namespace

void TForm1::createDesktopExtras()
{
    // Shortcuts only for what the menus hold, none on a key the instrument uses
    // (Z to /, space, Escape). An action's key works only once a widget of the window holds it.
    OpenMIDI->setShortcut(QKeySequence::Open);
    SaveMIDI->setShortcut(QKeySequence::Save);
    addAction(OpenMIDI);
    addAction(SaveMIDI);
    createExportAudio();

    RecentFiles1 = named(new QMenu(QStringLiteral("Recent files"), this), "RecentFiles1");
    const auto readRecent = [this](const QString& path) { ReadMidiFile(path); };
    recentFiles_ = new RecentFiles(RecentFiles1, settings(), readRecent, this);
    HowToPlay = named(new QAction(QStringLiteral("How to play"), this), "HowToPlay");
    HowToPlay->setShortcut(QKeySequence(Qt::Key_F1));
    About1 = named(new QAction(QStringLiteral("About Orvelline…"), this), "About1");
    Quit1 = named(new QAction(QStringLiteral("Quit"), this), "Quit1");
    Quit1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    MenuKey = named(new QAction(this), "MenuKey");
    MenuKey->setShortcuts({QKeySequence(Qt::SHIFT | Qt::Key_F10), QKeySequence(Qt::Key_Menu)});
    addActions({HowToPlay, Quit1, MenuKey});
    connect(HowToPlay, &QAction::triggered, this, [this] { showHowToPlay(this); });
    connect(About1, &QAction::triggered, this,
            [this] { showAbout(this, deviceInUse(), session_.gateway().synthStatus()); });
    connect(Quit1, &QAction::triggered, this, &QWidget::close);
    connect(MenuKey, &QAction::triggered, this, [this] {
        // Where the pointer rests over the picture, the picture's own menu; else the window's.
        const QPoint pointer = QCursor::pos();
        if (Panel1->rect().contains(Panel1->mapFromGlobal(pointer)) && isActiveWindow()) {
            PopupMenu2->popup(pointer);
            return;
        }
        runGuarded([this] { UpdateActions(); });
        QWidget* focus = focusWidget() != nullptr ? focusWidget() : this;
        PopupMenu1->popup(focus->mapToGlobal(focus->rect().center()));
    });

    // After the designed entries, which keep their places. The surface's own
    // menu, whole, for a user who does not know to right-click the picture:
    // the same entries, so both places behave alike and stay in step.
    PopupMenu1->addSeparator();
    PopupMenu2->setTitle(QStringLiteral("Surface"));
    Surface1 = named(PopupMenu1->addMenu(PopupMenu2), "Surface1");
    PopupMenu1->addMenu(RecentFiles1);
    PopupMenu1->addSeparator();
    PopupMenu1->addAction(HowToPlay);
    PopupMenu1->addAction(About1);
    PopupMenu1->addSeparator();
    PopupMenu1->addAction(Quit1);

    // Tab visits the panel in reading order, the Note arrows and sliders included.
    for (QScrollBar* bar : {Volume, Velosity, Moduration, Reverb, Chorus}) {
        bar->setFocusPolicy(Qt::StrongFocus);
        // A scroll bar's keys run the other way by default, as in a scrolled view;
        // these set values, and the right arrow is more.
        bar->setInvertedControls(false);
        showValueInHint(bar);
    }
    UpDownNoteNo->upButton()->setFocusPolicy(Qt::TabFocus);
    UpDownNoteNo->downButton()->setFocusPolicy(Qt::TabFocus);
    const std::vector<QWidget*> order{BSM,
                                      BSL,
                                      ProgChg,
                                      Volume,
                                      UpDownNoteNo->upButton(),
                                      UpDownNoteNo->downButton(),
                                      Velosity,
                                      BendRange,
                                      Setup,
                                      Moduration,
                                      Reverb,
                                      Chorus,
                                      EasyMode,
                                      XAxTone,
                                      SpeedButton1,
                                      recEndButton,
                                      recReplay,
                                      StopButton};
    for (std::size_t i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    // A permanent part of the status line shows only while no message does.
    auto* startHint =
        named(new QLabel(QStringLiteral("Move the pointer over the picture to play"), StatusBar1), "StartHint");
    StatusBar1->addWidget(startHint, 1);

    trackNormalPlace(*this);
    setAcceptDrops(true);
    installEventFilter(new FileDrop(this));

    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
                     [this] { runGuarded([this] { UpdateFileActions(); }); });
}

void TForm1::UpdateFileActions()
{
    PlayMIDI->setEnabled(session_.song() != nullptr);
    SaveMIDI->setEnabled(session_.performer().HasRecording());
    ExportAudio->setEnabled(session_.performer().HasRecording());
}
