#include "midiout/ui/tmididevice.h"

#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QHideEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRect>
#include <QShowEvent>
#include <QString>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <string>

#include "midiout/midigateway.h"
#include "midiout/ui/actionbinding.h"
#include "midiout/ui/captionwidth.h"
#include "platform/synthstatus.h"

TMidiDevice* MidiDevice = nullptr;

namespace {

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption, const QRect& geometry)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    // None of the window's buttons is the default one: Enter in the list must not open a device.
    button->setAutoDefault(false);
    return button;
}

// The row below the list at its designed places, each button as wide as its
// caption needs (the designed 75 at the least): Open Device from the left,
// Close to the designed right end, the MIDI input between them.
void layOutBottomRow(QPushButton& open, QLabel& inputLabel, QWidget& inputList, QPushButton& close)
{
    constexpr int kGap = 4;
    const int closeRight = close.geometry().right();
    open.resize(std::max(open.width(), captionWidth(open)), open.height());
    const int closeWidth = std::max(close.width(), captionWidth(close));
    close.setGeometry(closeRight + 1 - closeWidth, close.y(), closeWidth, close.height());
    const int labelX = std::max(inputLabel.x(), open.geometry().right() + 1 + kGap);
    inputLabel.setGeometry(labelX, inputLabel.y(), inputLabel.sizeHint().width(), inputLabel.height());
    const int listX = inputLabel.geometry().right() + 1 + 2;
    inputList.setGeometry(listX, inputList.y(), close.x() - kGap - listX, inputList.height());
}

}  // namespace

TMidiDevice::TMidiDevice(MidiGateway& gateway, const std::filesystem::path& settingsFolder, QWidget* parent,
                         ModalShow modalShow)
    : QDialog(parent), gateway_(gateway), settingsFolder_(settingsFolder)
{
    gateway_.SetFolder(settingsFolder.string());
    MidiDevice = this;
    createControls();
    createActions();
    connectHandlers();
    FormCreate(modalShow);
}

TMidiDevice::~TMidiDevice()
{
    FormDestroy();
    if (MidiDevice == this)
        MidiDevice = nullptr;
}

void TMidiDevice::createControls()
{
    setWindowTitle(QStringLiteral("MidiDevice"));
    resize(451, 295);
    move(200, 109);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(0, 0, 443, 233);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setLineWidth(3);

    // The list fills the panel inside its bevel. Its lines take the font's
    // height: the designed item height of 12 applies to owner-drawn lists only.
    DevSummListBox1 = new QListWidget(Panel1);
    DevSummListBox1->setObjectName(QStringLiteral("DevSummListBox1"));
    DevSummListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    auto* fill = new QVBoxLayout(Panel1);
    fill->setContentsMargins(0, 0, 0, 0);
    fill->addWidget(DevSummListBox1);

    OpenButton1 = makeButton(this, "OpenButton1", QStringLiteral("Open Device"), QRect(32, 240, 75, 25));
    ErrorTestButton1 = makeButton(this, "ErrorTestButton1", QStringLiteral("Error Test"), QRect(128, 240, 75, 25));
    ErrorTestButton1->hide();
    CloseButton = makeButton(this, "CloseButton", QStringLiteral("Close"), QRect(352, 240, 75, 25));

    AudioStatus = new QLabel(this);
    AudioStatus->setObjectName(QStringLiteral("AudioStatus"));
    AudioStatus->setGeometry(8, 270, 435, 20);
    statusTimer_ = new QTimer(this);
    statusTimer_->setInterval(500);
    createMidiInputList();
    layOutBottomRow(*OpenButton1, *MidiInputLabel, *MidiInputList, *CloseButton);
}

void TMidiDevice::createActions()
{
    MIDIOpen = new QAction(QStringLiteral("Open Device"), this);
    MIDIOpen->setObjectName(QStringLiteral("MIDIOpen"));
    addAction(MIDIOpen);
    bindToAction(OpenButton1, MIDIOpen);
}

// Qt has no idle-time action updates: the enabled state of MIDIOpen follows
// the list's selection, and is brought up to date whenever the window shows.
void TMidiDevice::connectHandlers()
{
    connect(MIDIOpen, &QAction::triggered, this, &TMidiDevice::MIDIOpenExecute);
    connect(DevSummListBox1, &QListWidget::itemSelectionChanged, this, &TMidiDevice::MIDIOpenUpdate);
    connect(DevSummListBox1, &QListWidget::itemDoubleClicked, this, &TMidiDevice::MIDIOpenExecute);
    connect(ErrorTestButton1, &QPushButton::clicked, this, &TMidiDevice::ErrorTestButton1Click);
    connect(CloseButton, &QPushButton::clicked, this, &TMidiDevice::CloseButtonClick);
    connect(statusTimer_, &QTimer::timeout, this, &TMidiDevice::RefreshAudioStatus);
}

void TMidiDevice::FormCreate(const ModalShow& modalShow)
{
    const bool opened = gateway_.Start();
    move(gateway_.Place.left, gateway_.Place.top);
    if (opened)
        return;
    if (modalShow)
        modalShow(*this);
    else
        exec();
}

void TMidiDevice::FormShow()
{
    RefreshDeviceList();
    RefreshMidiInputList();
    MIDIOpenUpdate();
    RefreshAudioStatus();
    statusTimer_->start();
}

void TMidiDevice::RefreshAudioStatus()
{
    const std::optional<platform::SynthOutputStatus> status = gateway_.synthStatus();
    AudioStatus->setText(status ? QString::fromStdString(platform::describeSynthStatus(*status)) : QString());
}

void TMidiDevice::FormDestroy()
{
    gateway_.StopPlayback();
    gateway_.CloseDevice();
    MidiGateway::WindowPlace& place = gateway_.Place;
    place.top = y();
    place.left = x();
    place.width = width();
    place.height = height();
    gateway_.SaveProfile();
}

void TMidiDevice::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TMidiDevice::hideEvent(QHideEvent* event)
{
    statusTimer_->stop();
    QDialog::hideEvent(event);
}

void TMidiDevice::RefreshDeviceList()
{
    DevSummListBox1->clear();
    for (const std::string& line : gateway_.DeviceLines())
        DevSummListBox1->addItem(QString::fromStdString(line));
    const int line = gateway_.DeviceID + 1;
    if (line >= 0 && line < DevSummListBox1->count())
        DevSummListBox1->setCurrentRow(line);
}

int TMidiDevice::selectedLine() const
{
    const QList<QListWidgetItem*> selected = DevSummListBox1->selectedItems();
    return selected.isEmpty() ? -1 : DevSummListBox1->row(selected.first());
}

void TMidiDevice::MIDIOpenExecute()
{
    const int line = selectedLine();
    if (line >= 0 && gateway_.OpenDevice(line - 1) == 0)
        accept();
}

void TMidiDevice::MIDIOpenUpdate()
{
    MIDIOpen->setEnabled(selectedLine() >= 0);
}

void TMidiDevice::CloseButtonClick()
{
    reject();
}

void TMidiDevice::ErrorTestButton1Click()
{
    gateway_.SoundTest();
}
