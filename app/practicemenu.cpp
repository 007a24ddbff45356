#include "app/practicemenu.h"

#include <QActionGroup>
#include <QFile>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <QTimer>

#include <string>

#include "app/intonationwindow.h"
#include "app/widgets.h"
#include "mididata/messagesink.h"
#include "mididata/song.h"
#include "mididata/track.h"
#include "midiout/practiceparts.h"
#include "perform/intonation.h"
#include "perform/practicelog.h"
#include "perform/session.h"
#include "perform/ui/guidenotes.h"
#include "platform/inifile.h"

namespace {

const char* const kSection = "Practice";
constexpr int kMaxBar = 9999;

}  // namespace

PracticeMenu::PracticeMenu(WindowParts parts, Session& session)
    : QObject(&parts.window), window_(std::move(parts)), session_(session)
{
    AskBar = [this](const QString& title, int current) {
        bool ok = false;
        const int bar = QInputDialog::getInt(&window_.window, QStringLiteral("Practice"), title,
                                             current < 1 ? 1 : current, 1, kMaxBar, 1, &ok);
        return ok ? bar : 0;
    };
    loadSettings();
    createMenu();
    guide_ = new GuideNotes(window_.gridLayer, session_);
    Position = new QLabel(&window_.statusLine);
    Position->setObjectName(QStringLiteral("SongPosition"));
    window_.statusLine.addPermanentWidget(Position);
    positionTimer_ = new QTimer(this);
    positionTimer_->setInterval(100);
    connect(positionTimer_, &QTimer::timeout, this, [this] { showPosition(); });
}

PracticeMenu::~PracticeMenu() = default;

void PracticeMenu::createMenu()
{
    window_.contextMenu.addSeparator();
    Menu = window_.contextMenu.addMenu(QStringLiteral("Practice"));
    Menu->setObjectName(QStringLiteral("Practice1"));
    YourPart = Menu->addMenu(QStringLiteral("Your part"));
    partGroup_ = new QActionGroup(this);
    connect(YourPart, &QMenu::aboutToShow, this, [this] { fillParts(); });
    fillParts();

    CountIn = Menu->addAction(QStringLiteral("Count-in"));
    CountIn->setCheckable(true);
    CountIn->setChecked(choices().countIn);
    connect(CountIn, &QAction::triggered, this, [this](bool on) { setCountIn(on); });

    LoopFrom = Menu->addAction(QString());
    LoopTo = Menu->addAction(QString());
    NoLoop = Menu->addAction(QStringLiteral("No loop"));
    connect(LoopFrom, &QAction::triggered, this, [this] {
        if (const int bar = AskBar(QStringLiteral("Loop from bar"), choices().loopFrom); bar > 0)
            setLoop(bar, choices().loopTo < 1 ? bar : choices().loopTo);
    });
    connect(LoopTo, &QAction::triggered, this, [this] {
        if (const int bar = AskBar(QStringLiteral("Loop to bar"), choices().loopTo); bar > 0)
            setLoop(choices().loopFrom < 1 ? 1 : choices().loopFrom, bar);
    });
    connect(NoLoop, &QAction::triggered, this, [this] { setLoop(0, 0); });
    updateLoopTexts();

    Tempo = Menu->addMenu(QStringLiteral("Tempo"));
    tempoGroup_ = new QActionGroup(this);
    for (int percent = PracticeChoices::kMinTempoPercent; percent <= PracticeChoices::kMaxTempoPercent; percent += 10) {
        QAction* entry = Tempo->addAction(QStringLiteral("%1 %").arg(percent));
        entry->setCheckable(true);
        entry->setData(percent);
        entry->setChecked(percent == choices().tempoPercent);
        tempoGroup_->addAction(entry);
        connect(entry, &QAction::triggered, this, [this, percent] { setTempo(percent); });
    }

    Menu->addSeparator();
    SaveTake = Menu->addAction(QStringLiteral("Save practice take..."));
    Report = Menu->addAction(QStringLiteral("Intonation report..."));
    connect(SaveTake, &QAction::triggered, this, [this] { saveTakeExecute(); });
    connect(Report, &QAction::triggered, this, [this] { reportExecute(); });
    connect(Menu, &QMenu::aboutToShow, this, [this] {
        SaveTake->setEnabled(hasTake());
        Report->setEnabled(hasTake());
    });

    // Names by which tests and accessibility tools find the entries.
    YourPart->setObjectName(QStringLiteral("YourPart1"));
    CountIn->setObjectName(QStringLiteral("CountIn1"));
    LoopFrom->setObjectName(QStringLiteral("LoopFrom1"));
    LoopTo->setObjectName(QStringLiteral("LoopTo1"));
    NoLoop->setObjectName(QStringLiteral("NoLoop1"));
    Tempo->setObjectName(QStringLiteral("Tempo1"));
    SaveTake->setObjectName(QStringLiteral("SavePracticeTake1"));
    Report->setObjectName(QStringLiteral("IntonationReport1"));
}

void PracticeMenu::fillParts()
{
    for (QAction* a : YourPart->actions()) {
        partGroup_->removeAction(a);
        a->deleteLater();
    }
    YourPart->clear();
    const auto add = [this](const QString& text, int number) {
        QAction* entry = YourPart->addAction(text);
        entry->setCheckable(true);
        entry->setData(number);
        entry->setChecked(number == choices().part);
        partGroup_->addAction(entry);
        connect(entry, &QAction::triggered, this, [this, number] { choosePart(number); });
    };
    add(QStringLiteral("None"), PracticeChoices::kNoPart);
    if (const midiSong* song = session_.song())
        for (const PartChoice& part : partChoices(*song))
            add(QString::fromStdString(partMenuText(part)), part.number);
}

const PracticeChoices& PracticeMenu::choices() const
{
    return session_.practiceChoices();
}

// The instrument plays your part in its own sound; the panel shows it.
void PracticeMenu::choosePart(int number)
{
    session_.choosePart(number);
}

void PracticeMenu::changeChoices(const std::function<void(PracticeChoices&)>& change)
{
    PracticeChoices now = choices();
    change(now);
    session_.setPracticeChoices(now);
    saveSettings();
}

void PracticeMenu::setCountIn(bool on)
{
    changeChoices([on](PracticeChoices& c) { c.countIn = on; });
    CountIn->setChecked(on);
}

void PracticeMenu::setLoop(int from, int to)
{
    if (session_.setLoop(std::clamp(from, 0, kMaxBar), std::clamp(to, 0, kMaxBar)))
        saveSettings();
    updateLoopTexts();
}

void PracticeMenu::setTempo(int percent)
{
    changeChoices([percent](PracticeChoices& c) { c.tempoPercent = percent; });
    for (QAction* entry : tempoGroup_->actions())
        entry->setChecked(entry->data().toInt() == choices().tempoPercent);
}

void PracticeMenu::updateLoopTexts()
{
    const PracticeChoices& now = choices();
    const bool loops = now.loops();
    LoopFrom->setText(loops ? QStringLiteral("Loop from bar %1...").arg(now.loopFrom)
                            : QStringLiteral("Loop from bar..."));
    LoopTo->setText(loops ? QStringLiteral("Loop to bar %1...").arg(now.loopTo) : QStringLiteral("Loop to bar..."));
    NoLoop->setEnabled(loops);
}

void PracticeMenu::songRead()
{
    fillParts();
    guide_->stop();
}

// The guide shows your part on the clock of the run the session started.
void PracticeMenu::runStarted()
{
    const Session& session = session_;
    const PracticeChoices& now = choices();
    const midiTrack* part = !session.practiceRunActive() || now.part == PracticeChoices::kNoPart || !session.song()
                                ? nullptr
                                : trackNumbered(*session.song(), now.part);
    if (part)
        guide_->start(*part, session.practiceClock(), session.songStartMicros());
    else
        guide_->stop();
    showPosition();
    if (session.practiceRunActive())
        positionTimer_->start();
}

void PracticeMenu::showPosition()
{
    const std::string position = session_.songPosition();
    Position->setText(QString::fromStdString(position));
    if (position.empty())
        positionTimer_->stop();
}

bool PracticeMenu::hasTake() const
{
    return session_.hasPracticeTake();
}

void PracticeMenu::saveTakeExecute()
{
    if (!hasTake()) {
        reportMessage("No practice take yet: press Rec.Start while Play MIDI plays the song.");
        return;
    }
    const QString path = window_.askSaveName();
    if (path.isEmpty())
        return;
    session_.savePracticeTake(QFile::encodeName(path).toStdString());
}

void PracticeMenu::reportExecute()
{
    const PracticeReport report = session_.scorePracticeTake();
    if (report.passes.empty())
        return;
    if (!report_)
        report_ = std::make_unique<IntonationWindow>(&window_.window, window_.settings);
    report_->showReport(report);
}

void PracticeMenu::loadSettings()
{
    platform::IniFile& ini = window_.settings;
    PracticeChoices read = choices();
    read.countIn = ini.intValue(kSection, "CountIn", 0, 1).value_or(0) != 0;
    read.loopFrom = ini.intValue(kSection, "LoopFrom", 0, kMaxBar).value_or(0);
    read.loopTo = ini.intValue(kSection, "LoopTo", 0, kMaxBar).value_or(0);
    read.tempoPercent =
        ini.intValue(kSection, "Tempo", PracticeChoices::kMinTempoPercent, PracticeChoices::kMaxTempoPercent)
            .value_or(100);
    session_.setPracticeChoices(read);
}

void PracticeMenu::saveSettings() const
{
    const PracticeChoices& now = choices();
    platform::IniFile& ini = window_.settings;
    ini.setValue(kSection, "CountIn", now.countIn ? "1" : "0");
    ini.setValue(kSection, "LoopFrom", std::to_string(now.loopFrom));
    ini.setValue(kSection, "LoopTo", std::to_string(now.loopTo));
    ini.setValue(kSection, "Tempo", std::to_string(now.tempoPercent));
}
