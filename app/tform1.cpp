// The main window's controls, menus and actions as designed, and which
// handler each of them calls.
#include "app/tform1.h"
#include "app/practicemenu.h"
#include "app/windowlistener.h"
#include "perform/practicelog.h"
#include "perform/session.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QFont>
#include <QFrame>
#include <QImage>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>

#include <array>

#include "app/anchors.h"
#include "app/correctioncontrols.h"
#include "app/filedialogs.h"
#include "app/handlerguard.h"
#include "app/inputmenu.h"
#include "app/noteguard.h"
#include "app/panelentries.h"
#include "app/widgets.h"
#include "mididata/song.h"
#include "mididata/track.h"
#include "midiout/ui/actionbinding.h"
#include "midiout/ui/captionwidth.h"
#include "platform/inifile.h"

TForm1* Form1 = nullptr;

// The built-in picture lives in the static library's resources, which nothing
// would pull into the program otherwise; Q_INIT_RESOURCE must be called
// outside any namespace.
static QImage builtInSurfacePicture()
{
    Q_INIT_RESOURCE(surface);
    return QImage(QStringLiteral(":/pictures/surface"));
}

namespace {

const QSize kDesignedWindow(559, 394);
const QSize kDesignedPanel2(213, 394);
// The surface's panel was designed 337 x 361, for a window of that height
// without its title bar; it fills the window beside Panel2 instead, so no
// empty strip is left below it or between the two. The picture keeps its
// designed place and size, the status line goes to the bottom.
const QSize kSurfacePanel(kDesignedWindow.width() - kDesignedPanel2.width(), kDesignedWindow.height());
constexpr Qt::Edges kAllEdges = Qt::LeftEdge | Qt::TopEdge | Qt::RightEdge | Qt::BottomEdge;

template <typename Control>
Control* named(Control* control, const char* name)
{
    control->setObjectName(QString::fromLatin1(name));
    return control;
}

// Places a control of the panel, which keeps its designed size and never moves.
template <typename Control>
Control* placed(Control* control, const char* name, const QRect& geometry, const char* hint = nullptr)
{
    named(control, name)->setGeometry(geometry);
    if (hint != nullptr)
        control->setToolTip(QString::fromUtf8(hint));
    return control;
}

// A control placed at its designed position with the size its text needs.
template <typename Control>
Control* placedAt(Control* control, const char* name, QPoint position, const char* hint = nullptr)
{
    placed(control, name, QRect(position, control->sizeHint()), hint);
    return control;
}

QScrollBar* scrollBar(QWidget* parent, const char* name, int top, int minimum, int maximum, int position,
                      const char* hint)
{
    auto* bar = placed(new PanelSlider(parent), name, QRect(50, top, 145, 17), hint);
    bar->setRange(minimum, maximum);
    // No page: a click in the trough moves by one step, like the arrows.
    bar->setSingleStep(1);
    bar->setPageStep(1);
    bar->setValue(position);
    // Right-clicking a bar opens the window's menu, not a scrolling menu of its own.
    bar->setContextMenuPolicy(Qt::NoContextMenu);
    return bar;
}

QLabel* sunkenText(QWidget* parent, const char* name, const QRect& geometry, const QString& text,
                   const char* hint = nullptr)
{
    auto* label = placed(new QLabel(text, parent), name, geometry, hint);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

QAction* action(QObject* owner, const char* name, const char* caption)
{
    return named(new QAction(QString::fromLatin1(caption), owner), name);
}

QAction* checkable(QMenu* menu, const char* name, const char* caption, bool checked = false)
{
    QAction* item = named(menu->addAction(QString::fromUtf8(caption)), name);
    item->setCheckable(true);
    item->setChecked(checked);
    return item;
}

// A separate entry per place, because a Qt menu holds an action only once.
QAction* entryFor(QMenu* menu, QAction* command, const char* name)
{
    QAction* entry = named(menu->addAction(command->text()), name);
    bindToAction(entry, command);
    return entry;
}

QToolButton* speedButton(QWidget* parent, const char* name, QAction* command)
{
    auto* button = named(new QToolButton(parent), name);
    button->setDefaultAction(command);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    return button;
}

// The recorder's buttons two by two at the bottom of the panel, as designed,
// but as large as their captions need (the designed 65 x 17 at the least),
// and the scrolling text beside them, inside the panel's frame; below them
// should the captions leave it no room there.
void layOutRecorder(const QWidget& panel, const std::array<QToolButton*, 4>& buttons, QWidget& marquee)
{
    constexpr int kLeft = 8;
    constexpr int kTop = 328;
    constexpr int kGap = 2;
    QSize size(65, 17);
    for (const QToolButton* button : buttons)
        size = size.expandedTo(QSize(captionWidth(*button), button->sizeHint().height()));
    for (std::size_t i = 0; i < buttons.size(); ++i)
        buttons[i]->setGeometry(kLeft + int(i % 2) * (size.width() + kGap), kTop + int(i / 2) * (size.height() + kGap),
                                size.width(), size.height());
    const int besideX = kLeft + 2 * (size.width() + kGap);
    const int rows = 2 * size.height() + kGap;
    if (besideX + marquee.width() <= panel.contentsRect().right() - kGap)
        marquee.move(besideX, kTop + (rows - marquee.height()) / 2);
    else
        marquee.move(kLeft, kTop + rows + kGap);
}

}  // namespace

TForm1::TakeAnswer askAboutUnsavedTake(QWidget* parent);
TForm1::KeptTakeAnswer askAboutKeptTake(QWidget* parent);

namespace {

// Runs a handler of the window for a signal; an error it raises is shown and
// ends only that handler.
template <typename Sender, typename Signal>
void on(Sender* sender, Signal signal, TForm1* form, void (TForm1::*handler)())
{
    QObject::connect(sender, signal, form, [form, handler] { runGuarded([&] { (form->*handler)(); }); });
}

MouseMoveHandler moves(TForm1* form, void (TForm1::*handler)(QWidget*, int, int))
{
    return [form, handler](QWidget* sender, int x, int y) { (form->*handler)(sender, x, y); };
}

}  // namespace

TForm1::TForm1(const platform::ProgramFolders& folders, Session& session, platform::IniFile& settings, QWidget* parent)
    : QWidget(parent),
      folders_(folders),
      session_(session),
      listener_(std::make_unique<WindowListener>(
          *this,
          [this] {
              StopMarquee();
              runGuarded([this] { session_.songFinished(); });
          },
          [this] { showSessionState(); })),
      settings_(settings)
{
    Form1 = this;
    session_.setListener(listener_.get());
    session_.setPracticeLog(std::filesystem::path(folders.settingsFolder()) / kPracticeLogFileName);
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("O r v e l l i n e"));
    resize(kDesignedWindow);
    setMinimumSize(559, 388);

    createSurface();
    createPanel();
    createActions();
    createMenus();
    Correction = std::make_unique<CorrectionControls>(*this, session_, *PopupMenu2);
    Input = new InputMenu(*PopupMenu2, session_);
    connectHandlers();
    // Beyond the designed window: the Practice menu at the end of the context menu.
    Practice = new PracticeMenu({*this, *Image4, *StatusBar1, *PopupMenu1,
                                 [this] { return SaveDialog1 ? SaveDialog1() : QString(); }, settings_},
                                session_);
    createDesktopExtras();

    OpenDialog1 = [this] {
        return askForFile(this, settings_,
                          {QStringLiteral("Read MIDI file"),
                           {QStringLiteral("MIDI files (*.mid *.midi *.kar *.smf)"), QStringLiteral("All files (*)")},
                           {},
                           QString(),
                           false});
    };
    // Both the recording and a practice take are saved through it.
    SaveDialog1 = [this] {
        const QString name = takeName(session_.songName(), QDate::currentDate()) + QStringLiteral(".mid");
        return askForFile(this, settings_,
                          {QStringLiteral("Save take as MIDI file"),
                           {QStringLiteral("MIDI files (*.mid)")},
                           {QStringLiteral("mid")},
                           name,
                           true});
    };
    AskAboutTake = [this] { return askAboutUnsavedTake(this); };
    AskAboutKeptTake = [this] { return askAboutKeptTake(this); };
    keepUnsavedTakes();

    // Key preview: the window sees every typed character before its controls.
    qApp->installEventFilter(this);
    noteGuard_ = std::make_unique<NoteGuard>(*this, *Panel1, *StatusBar1, [this] { EndNote(); });
    FormCreate();
}

TForm1::~TForm1()
{
    // Taking the window down hides it; the guard has nothing left to end by then.
    noteGuard_.reset();
    qApp->removeEventFilter(this);
    FormDestroy();
    if (Form1 == this)
        Form1 = nullptr;
}

void TForm1::createSurface()
{
    Panel1 = named(new TrackingPanel(this), "Panel1");
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    // A click on the surface takes the keys away from an entry of the panel
    // (which commits it), so the modulation keys reach the window.
    Panel1->setFocusPolicy(Qt::ClickFocus);
    anchor(Panel1, QRect(QPoint(0, 0), kSurfacePanel), kAllEdges, kDesignedWindow);
    const auto place = [](QWidget* part, const QRect& designed, Qt::Edges edges) {
        anchor(part, designed, edges, kSurfacePanel);
    };

    Image1 = named(new PictureBox(Panel1), "Image1");
    Image1->setPicture(builtInSurfacePicture());
    Image1->setCursor(Qt::PointingHandCursor);
    place(Image1, QRect(16, 20, 300, 300), kAllEdges);

    // Created after Image1, so it lies over it and receives the pointer.
    Image4 = named(new PictureBox(Panel1), "Image4");
    Image4->Transparent = true;
    Image4->setAttribute(Qt::WA_AcceptTouchEvents);
    place(Image4, QRect(16, 20, 300, 300), kAllEdges);

    Shape1 = named(new ShapeStrip(Panel1), "Shape1");
    place(Shape1, QRect(16, 12, 301, 9), Qt::LeftEdge | Qt::TopEdge | Qt::RightEdge);
    Shape2 = named(new ShapeStrip(Panel1), "Shape2");
    place(Shape2, QRect(16, 320, 301, 9), Qt::LeftEdge | Qt::RightEdge | Qt::BottomEdge);
    Shape3 = named(new ShapeStrip(Panel1), "Shape3");
    place(Shape3, QRect(316, 20, 9, 301), Qt::TopEdge | Qt::RightEdge | Qt::BottomEdge);
    Shape3->hide();
    Shape4 = named(new ShapeStrip(Panel1), "Shape4");
    place(Shape4, QRect(8, 20, 9, 301), Qt::LeftEdge | Qt::TopEdge | Qt::BottomEdge);
    Shape4->hide();

    StatusBar1 = named(new QStatusBar(Panel1), "StatusBar1");
    StatusBar1->setSizeGripEnabled(false);
    place(StatusBar1, QRect(1, kSurfacePanel.height() - 20, kSurfacePanel.width() - 2, 19),
          Qt::LeftEdge | Qt::RightEdge | Qt::BottomEdge);
}

void TForm1::createPanel()
{
    Panel2 = named(new QFrame(this), "Panel2");
    Panel2->setFrameStyle(QFrame::Panel | QFrame::Raised);
    anchor(Panel2, QRect(QPoint(kDesignedWindow.width() - kDesignedPanel2.width(), 0), kDesignedPanel2),
           Qt::TopEdge | Qt::RightEdge | Qt::BottomEdge, kDesignedWindow);
    QWidget* panel = Panel2;
    // The controls stand at fixed places designed for a 12-pixel font; the
    // desktop's own size would make captions overlap or be cut. Pixels here
    // are the toolkit's device-independent ones, so high-DPI stays crisp.
    QFont designed = Panel2->font();
    designed.setPixelSize(12);
    Panel2->setFont(designed);

    struct Caption {
        const char* name;
        const char* text;
        QPoint position;
    };
    const Caption captions[] = {
        {"Label1", "Inst.", {8, 15}},  {"Label2", "Vol.", {8, 41}},  {"Label3", "Note", {8, 71}},
        {"Label4", "Chn.", {104, 71}}, {"Label5", "Vel.", {8, 101}}, {"Label6", "Range", {8, 132}},
        {"Label8", "Mod.", {8, 157}},  {"Label9", "Rev.", {8, 205}}, {"Label10", "Cho.", {8, 237}},
    };
    for (const Caption& caption : captions)
        placedAt(new QLabel(QString::fromLatin1(caption.text), panel), caption.name, caption.position);

    BSM = placed(new QLineEdit(QStringLiteral("0"), panel), "BSM", QRect(38, 12, 21, 21),
                 "Bank Select:MSB:バンクセレクトMSB");
    BSL = placed(new QLineEdit(QStringLiteral("0"), panel), "BSL", QRect(62, 12, 21, 21),
                 "Bank Select LSB:バンクセレクトLSB");
    ProgChg = placed(new QComboBox(panel), "ProgChg", QRect(86, 12, 109, 21), "Instrument:楽器を選択します");
    ProgChg->setMaxVisibleItems(20);

    Volume = scrollBar(panel, "Volume", 40, 1, 127, 120, "Volume:ボリュームを設定します");
    NoteNo = sunkenText(panel, "NoteNo", QRect(44, 68, 37, 21), QStringLiteral("A 4"));
    UpDownNoteNo =
        placed(new UpDownButtons(panel), "UpDownNoteNo", QRect(83, 68, 16, 21), "Note:真ん中の音の高さを指定します");
    UpDownNoteNo->Min = 24;
    UpDownNoteNo->Max = 103;
    UpDownNoteNo->setPosition(69);
    channnelText = sunkenText(panel, "channnelText", QRect(132, 68, 29, 21), QStringLiteral("1"),
                              "Channnel used:使用チャンネル(設定不可)");
    Velosity = scrollBar(panel, "Velosity", 100, 1, 127, 120, "Velocity:音の強さを指定します");

    BendRange =
        placed(new QComboBox(panel), "BendRange", QRect(50, 128, 51, 21), "Pitchbend range:音高の範囲を指定します");
    BendRange->setEditable(true);
    BendRange->setInsertPolicy(QComboBox::NoInsert);
    BendRange->addItems(
        {QStringLiteral("2"), QStringLiteral("5"), QStringLiteral("7"), QStringLiteral("12"), QStringLiteral("24")});
    BendRange->setCurrentIndex(BendRange->findText(QStringLiteral("12")));
    Setup = placed(new QPushButton(QStringLiteral("Setup"), panel), "Setup", QRect(120, 128, 75, 25),
                   "Send settings to the tone module:現在の設定を音源に送信します");
    Setup->setAutoDefault(false);

    Moduration = scrollBar(panel, "Moduration", 156, 0, 127, 0, "Modulation:ビブラートの量を指定します");
    Label7 = new QLabel(QStringLiteral("ZXCVBNM,./"), panel);
    QFont terminal;
    terminal.setFamilies({QStringLiteral("Terminal"), QStringLiteral("Monospace")});
    terminal.setStyleHint(QFont::TypeWriter);
    terminal.setPixelSize(16);
    Label7->setFont(terminal);
    placedAt(Label7, "Label7", QPoint(63, 176));
    Reverb = scrollBar(panel, "Reverb", 204, 0, 127, 40, "Reverb:残響の量を指定します");
    Chorus = scrollBar(panel, "Chorus", 236, 0, 127, 0, "Chorus:コーラスの量を指定します");

    EasyMode = placedAt(new QCheckBox(QStringLiteral("Easy Mode"), panel), "EasyMode", QPoint(8, 260),
                        "Easy to play by half-tone:半音単位で演奏し易くします");
    XAxTone = placedAt(new QCheckBox(QStringLiteral("X-Axis to Tone"), panel), "XAxTone", QPoint(88, 260),
                       "Set X-axis to tone:横軸を音高にします");
    // The two boxes stand 80 pixels apart, as designed for a 12-pixel font; the
    // desktop's larger default font would let the second cover the first's caption.
    for (QCheckBox* box : {EasyMode, XAxTone}) {
        QFont font = box->font();
        font.setPixelSize(11);
        box->setFont(font);
        box->resize(box->sizeHint());
    }

    Button1 = placed(new QPushButton(QStringLiteral("Debug"), panel), "Button1", QRect(132, 216, 75, 25));
    Button1->setAutoDefault(false);
    Button1->hide();

    // The scrolling status text, beside the recorder buttons.
    // Placed with the recorder's buttons (createActions).
    Panel3 = placed(new QFrame(panel), "Panel3", QRect(143, 335, 67, 19));
    Panel3->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Image2 = placed(new PictureBox(Panel3), "Image2", QRect(1, 1, 65, 17));
    Image2->Stretch = false;
    Timer1 = named(new QTimer(this), "Timer1");
    Timer1->setInterval(150);
}

void TForm1::createActions()
{
    ArecStart = action(this, "ArecStart", "Rec.Start");
    ArecEnd = action(this, "ArecEnd", "Rec.End");
    ArePlay = action(this, "ArePlay", "Replay");
    Stop = action(this, "Stop", "Stop");
    OpenMIDI = action(this, "OpenMIDI", "Read MIDI file");
    PlayMIDI = action(this, "PlayMIDI", "Play MIDI");
    SaveMIDI = action(this, "SaveMIDI", "Save as MIDI file");
    Panic = action(this, "Panic", "Panic");
    Panic->setShortcut(QKeySequence(Qt::Key_Escape));
    // A shortcut works only for an action that belongs to a widget of the window.
    addAction(Panic);

    SpeedButton1 = speedButton(Panel2, "SpeedButton1", ArecStart);
    recEndButton = speedButton(Panel2, "recEndButton", ArecEnd);
    recReplay = speedButton(Panel2, "recReplay", ArePlay);
    StopButton = speedButton(Panel2, "StopButton", Stop);
    layOutRecorder(*Panel2, {SpeedButton1, recEndButton, recReplay, StopButton}, *Panel3);
}

void TForm1::createMenus()
{
    PopupMenu1 = named(new QMenu(this), "PopupMenu1");
    Device1 = named(PopupMenu1->addAction(QStringLiteral("Device...")), "Device1");
    PopupMenu1->addSeparator();
    entryFor(PopupMenu1, ArecStart, "RecStart1");
    entryFor(PopupMenu1, ArecEnd, "RecEnd1");
    entryFor(PopupMenu1, ArePlay, "Replay1");
    entryFor(PopupMenu1, Stop, "Stop1");
    // Listed once, so the action itself can stand in the menu and show its key.
    PopupMenu1->addAction(Panic);
    PopupMenu1->addSeparator();
    entryFor(PopupMenu1, OpenMIDI, "ReadMIDIfile1");
    entryFor(PopupMenu1, PlayMIDI, "PlayMIDI1");
    entryFor(PopupMenu1, Stop, "Stop2");
    PopupMenu1->addSeparator();
    entryFor(PopupMenu1, SaveMIDI, "SaveasMIDIfile1");

    PopupMenu2 = named(new QMenu(this), "PopupMenu2");
    LoadImage2 = named(PopupMenu2->addMenu(QStringLiteral("Load &Image")), "LoadImage2");
    // The designed placeholder; the list of pictures replaces it whenever the menu opens.
    named(LoadImage2->addAction(QStringLiteral("dummy")), "dummy1");
    PopupMenu2->addSeparator();
    Cursor1 = named(PopupMenu2->addMenu(QStringLiteral("Cursor")), "Cursor1");
    N11 = checkable(Cursor1, "N11", "1", true);
    N21 = checkable(Cursor1, "N21", "2");
    N31 = checkable(Cursor1, "N31", "3");
    PopupMenu2->addSeparator();
    GridColor2 = named(PopupMenu2->addMenu(QStringLiteral("Grid Color")), "GridColor2");
    White2 = checkable(GridColor2, "White2", "White");
    Black2 = checkable(GridColor2, "Black2", "Black");
    Red2 = checkable(GridColor2, "Red2", "Red", true);
    Blue2 = checkable(GridColor2, "Blue2", "Blue");
    Green2 = checkable(GridColor2, "Green2", "Green");
    Yellow2 = checkable(GridColor2, "Yellow2", "Yellow");

    GridKey1 = named(PopupMenu2->addMenu(QStringLiteral("Grid Key")), "GridKey1");
    GridKeyGroup = named(new QActionGroup(this), "GridKeyGroup");
    GridKeyGroup->setExclusive(true);
    struct Key {
        const char* name;
        const char* caption;
    };
    const Key keys[15] = {
        {"Cnob1", "C(no #b)"}, {"Gx11", "G(#x1)"},  {"Fbx11", "F(bx1)"},   {"Dx21", "D(#x2)"},
        {"Bbbx21", "Bb(bx2)"}, {"Ax31", "A(#x3)"},  {"Ebbx31", "Eb(bx3)"}, {"Ex41", "E(#x4)"},
        {"Abbx41", "Ab(bx4)"}, {"Bx51", "B(#x5)"},  {"Dbbx51", "Db(bx5)"}, {"Fx61", "F#(#x6)"},
        {"Gbbx61", "Gb(bx6)"}, {"Cx71", "C#(#x7)"}, {"Cbbx71", "Cb(bx7)"},
    };
    for (int i = 0; i < 15; ++i) {
        GridKeyItems[i] = checkable(GridKey1, keys[i].name, keys[i].caption, i == 0);
        GridKeyGroup->addAction(GridKeyItems[i]);
    }

    // The surface has its own menu; everywhere else the window's menu opens (contextMenuEvent).
    Panel1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Panel1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu2->popup(Panel1->mapToGlobal(at)); });
}

void TForm1::connectHandlers()
{
    Image1->OnMouseMove = moves(this, &TForm1::Image1MouseMove);
    // The grid layer's handler changes with the mapping (XAxToneClick); it starts vertical and plain.
    Image4->OnMouseMove = moves(this, &TForm1::Image1MouseMove);
    Shape1->OnMouseMove = moves(this, &TForm1::Shape1MouseMove);
    Shape2->OnMouseMove = moves(this, &TForm1::Shape2MouseMove);
    Shape3->OnMouseMove = moves(this, &TForm1::Shape3MouseMove);
    Shape4->OnMouseMove = moves(this, &TForm1::Shape4MouseMove);
    Panel1->OnMouseMove = moves(this, &TForm1::Panel1MouseMove);
    Image4->OnStylus = [this](QWidget* sender, const StylusPoint& point) { return Image4Stylus(sender, point); };

    // Toggled, not clicked: a box checked by the settings restore acts as a click does.
    on(EasyMode, &QCheckBox::toggled, this, &TForm1::XAxToneClick);
    on(XAxTone, &QCheckBox::toggled, this, &TForm1::XAxToneClick);
    connectPanelEntries(
        {*this, session(), *BSM, *BSL, *BendRange, [this] { ProgChgChange(); }, [this] { BendRangeChange(); }});
    on(ProgChg, &QComboBox::currentIndexChanged, this, &TForm1::ProgChgChange);
    on(Volume, &QScrollBar::valueChanged, this, &TForm1::VolumeChange);
    on(Velosity, &QScrollBar::valueChanged, this, &TForm1::VelosityChange);
    on(Moduration, &QScrollBar::valueChanged, this, &TForm1::ModurationChange);
    on(Reverb, &QScrollBar::valueChanged, this, &TForm1::ReverbChange);
    on(Chorus, &QScrollBar::valueChanged, this, &TForm1::ChorusChange);
    UpDownNoteNo->OnClick = [this] { UpDownNoteNoClick(); };
    on(Setup, &QPushButton::clicked, this, &TForm1::SetupClick);
    on(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);

    on(ArecStart, &QAction::triggered, this, &TForm1::ArecStartExecute);
    on(ArecEnd, &QAction::triggered, this, &TForm1::ArecEndExecute);
    on(ArePlay, &QAction::triggered, this, &TForm1::ArePlayExecute);
    on(Stop, &QAction::triggered, this, &TForm1::StopExecute);
    on(OpenMIDI, &QAction::triggered, this, &TForm1::OpenMIDIExecute);
    on(PlayMIDI, &QAction::triggered, this, &TForm1::PlayMIDIExecute);
    on(SaveMIDI, &QAction::triggered, this, &TForm1::SaveMIDIExecute);
    on(Panic, &QAction::triggered, this, &TForm1::PanicExecute);
    on(Device1, &QAction::triggered, this, &TForm1::Device1Click);

    on(PopupMenu2, &QMenu::aboutToShow, this, &TForm1::PopupMenu1Popup);
    QAction* placeholder = LoadImage2->actions().value(0);
    connect(placeholder, &QAction::triggered, this,
            [this, placeholder] { runGuarded([&] { dummy1Click(placeholder); }); });
    on(N11, &QAction::triggered, this, &TForm1::N11Click);
    on(N21, &QAction::triggered, this, &TForm1::N21Click);
    on(N31, &QAction::triggered, this, &TForm1::N31Click);
    on(White2, &QAction::triggered, this, &TForm1::White1Click);
    on(Black2, &QAction::triggered, this, &TForm1::Black1Click);
    on(Red2, &QAction::triggered, this, &TForm1::Red1Click);
    on(Blue2, &QAction::triggered, this, &TForm1::Blue1Click);
    on(Green2, &QAction::triggered, this, &TForm1::Green1Click);
    on(Yellow2, &QAction::triggered, this, &TForm1::Yellow1Click);
    for (int i = 0; i < 15; ++i)
        connect(GridKeyItems[i], &QAction::triggered, this, [this, i] { runGuarded([&] { GridKeyClick(i); }); });

    on(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);
    // The actions' enabled states are brought up to date whenever the application goes idle.
    on(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this, &TForm1::UpdateActions);
}
