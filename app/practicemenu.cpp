#include "app/practicemenu.h"

#include <QActionGroup>
#include <QFile>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>

#include <string>

#include "app/intonationwindow.h"
#include "app/tform1.h"
#include "mididata/messagesink.h"
#include "mididata/song.h"
#include "mididata/track.h"
#include "midiout/midigateway.h"
#include "midiout/practiceparts.h"
#include "midiout/sequenceplayer.h"
#include "perform/intonation.h"
#include "perform/practicetake.h"
#include "perform/ui/guidenotes.h"
#include "perform/vidize.h"
#include "platform/clock.h"
#include "platform/inifile.h"

namespace {

const char* const kSection = "Practice";
constexpr int kMaxBar = 9999;

MidiGateway* gateway()
{
    return Performer().gateway();
}

}  // namespace

PracticeMenu::PracticeMenu(TForm1& form) : QObject(&form), form_(form)
{
    AskBar = [this](const QString& title, int current) {
        bool ok = false;
        const int bar = QInputDialog::getInt(&form_, QStringLiteral("Practice"), title, current < 1 ? 1 : current, 1,
                                             kMaxBar, 1, &ok);
        return ok ? bar : 0;
    };
    loadSettings();
    createMenu();
    guide_ = new GuideNotes(form_);
}

PracticeMenu::~PracticeMenu() = default;

void PracticeMenu::createMenu()
{
    form_.PopupMenu1->addSeparator();
    Menu = form_.PopupMenu1->addMenu(QStringLiteral("Practice"));
    Menu->setObjectName(QStringLiteral("Practice1"));
    YourPart = Menu->addMenu(QStringLiteral("Your part"));
    partGroup_ = new QActionGroup(this);
    connect(YourPart, &QMenu::aboutToShow, this, [this] { fillParts(); });
    fillParts();

    CountIn = Menu->addAction(QStringLiteral("Count-in"));
    CountIn->setCheckable(true);
    CountIn->setChecked(choices_.countIn);
    connect(CountIn, &QAction::triggered, this, [this](bool on) { setCountIn(on); });

    LoopFrom = Menu->addAction(QString());
    LoopTo = Menu->addAction(QString());
    NoLoop = Menu->addAction(QStringLiteral("No loop"));
    connect(LoopFrom, &QAction::triggered, this, [this] {
        if (const int bar = AskBar(QStringLiteral("Loop from bar"), choices_.loopFrom); bar > 0)
            setLoop(bar, std::max(bar, choices_.loopTo));
    });
    connect(LoopTo, &QAction::triggered, this, [this] {
        if (const int bar = AskBar(QStringLiteral("Loop to bar"), choices_.loopTo); bar > 0)
            setLoop(choices_.loopFrom < 1 ? 1 : std::min(choices_.loopFrom, bar), bar);
    });
    connect(NoLoop, &QAction::triggered, this, [this] { setLoop(0, 0); });
    updateLoopTexts();

    Tempo = Menu->addMenu(QStringLiteral("Tempo"));
    tempoGroup_ = new QActionGroup(this);
    for (int percent = PracticeChoices::kMinTempoPercent; percent <= PracticeChoices::kMaxTempoPercent; percent += 10) {
        QAction* entry = Tempo->addAction(QStringLiteral("%1 %").arg(percent));
        entry->setCheckable(true);
        entry->setData(percent);
        entry->setChecked(percent == choices_.tempoPercent);
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
        entry->setChecked(number == choices_.part);
        partGroup_->addAction(entry);
        connect(entry, &QAction::triggered, this, [this, number] { choosePart(number); });
    };
    add(QStringLiteral("None"), PracticeChoices::kNoPart);
    if (form_.FileSong)
        for (const PartChoice& part : partChoices(*form_.FileSong))
            add(QString::fromStdString(partMenuText(part)), part.number);
}

void PracticeMenu::choosePart(int number)
{
    choices_.part = number;
    if (number == PracticeChoices::kNoPart || !form_.FileSong) {
        choices_.part = PracticeChoices::kNoPart;
        return;
    }
    const PartVoice voice = partVoice(*form_.FileSong, number);
    if (voice.channel < 0) {
        choices_.part = PracticeChoices::kNoPart;
        return;
    }
    // The instrument plays your part in its own sound.
    Performer().SetChannel(voice.channel);
    form_.channnelText->setText(QString::number(voice.channel + 1));
    Performer().SetProgram(voice.bankMsb, voice.bankLsb, voice.program);
}

void PracticeMenu::setCountIn(bool on)
{
    choices_.countIn = on;
    CountIn->setChecked(on);
    saveSettings();
}

void PracticeMenu::setLoop(int from, int to)
{
    choices_.loopFrom = std::clamp(from, 0, kMaxBar);
    choices_.loopTo = std::clamp(to, 0, kMaxBar);
    updateLoopTexts();
    saveSettings();
}

void PracticeMenu::setTempo(int percent)
{
    choices_.tempoPercent = percent;
    choices_.tempoPercent = choices_.clampedTempoPercent();
    for (QAction* entry : tempoGroup_->actions())
        entry->setChecked(entry->data().toInt() == choices_.tempoPercent);
    saveSettings();
}

void PracticeMenu::updateLoopTexts()
{
    const bool loops = choices_.loops();
    LoopFrom->setText(loops ? QStringLiteral("Loop from bar %1...").arg(choices_.loopFrom)
                            : QStringLiteral("Loop from bar..."));
    LoopTo->setText(loops ? QStringLiteral("Loop to bar %1...").arg(choices_.loopTo)
                          : QStringLiteral("Loop to bar..."));
    NoLoop->setEnabled(loops);
}

void PracticeMenu::songRead()
{
    choices_.part = PracticeChoices::kNoPart;
    fillParts();
    runActive_ = false;
    takeRecorded_ = false;
    guide_->stop();
}

void PracticeMenu::runStarted(const midiTrack& playTrack)
{
    takeRecorded_ = false;
    runActive_ = form_.FileSong && gateway() && gateway()->IsPlaying();
    if (!runActive_) {
        guide_->stop();
        return;
    }
    midiSong& song = *form_.FileSong;
    clock_ =
        PracticeClock(playTrack, song.division, practiceStartTempo(song, choices_), practiceLayout(song, choices_));
    const midiTrack* part = choices_.part == PracticeChoices::kNoPart ? nullptr : trackNumbered(song, choices_.part);
    if (part)
        guide_->start(*part, clock_, gateway()->Player().songStartMicros());
    else
        guide_->stop();
}

void PracticeMenu::recordingStarted()
{
    if (!runActive_ || !gateway() || !gateway()->IsPlaying())
        return;
    takeRecorded_ = true;
    recordingStartMicros_ = platform::nowMicros() - gateway()->Player().songStartMicros();
}

bool PracticeMenu::hasTake() const
{
    return takeRecorded_ && form_.FileSong && Performer().HasRecording();
}

bool PracticeMenu::buildTake(midiTrack& take) const
{
    if (!hasTake()) {
        reportMessage("No practice take yet: press Rec.Start while Play MIDI plays the song.");
        return false;
    }
    midiSong recorded;
    Performer().BuildSong(recorded);
    if (recorded.tracks.empty())
        return false;
    buildPracticeTake(*recorded.tracks.front(), clock_, recordingStartMicros_, take);
    return true;
}

void PracticeMenu::saveTakeExecute()
{
    midiTrack take(form_.FileSong.get(), 0, "");
    if (!buildTake(take))
        return;
    const QString path = form_.SaveDialog1 ? form_.SaveDialog1() : QString();
    if (path.isEmpty())
        return;
    savePracticeTake(*form_.FileSong, take, QFile::encodeName(path).toStdString());
}

void PracticeMenu::reportExecute()
{
    midiTrack take(form_.FileSong.get(), 0, "");
    if (!buildTake(take))
        return;
    const midiTrack* part =
        choices_.part == PracticeChoices::kNoPart ? nullptr : trackNumbered(*form_.FileSong, choices_.part);
    if (!part) {
        reportMessage("Choose your part in the Practice menu to see how in tune you played it.");
        return;
    }
    if (!report_)
        report_ = std::make_unique<IntonationWindow>(&form_);
    report_->showRows(analyseIntonation(*form_.FileSong, *part, *form_.FileSong, take));
}

void PracticeMenu::loadSettings()
{
    platform::IniFile ini = platform::IniFile::load(form_.iniFilePath());
    choices_.countIn = ini.intValue(kSection, "CountIn", 0, 1).value_or(0) != 0;
    choices_.loopFrom = ini.intValue(kSection, "LoopFrom", 0, kMaxBar).value_or(0);
    choices_.loopTo = ini.intValue(kSection, "LoopTo", 0, kMaxBar).value_or(0);
    choices_.tempoPercent =
        ini.intValue(kSection, "Tempo", PracticeChoices::kMinTempoPercent, PracticeChoices::kMaxTempoPercent)
            .value_or(100);
    for (const std::string& problem : ini.problems())
        reportMessage(problem);
}

void PracticeMenu::saveSettings() const
{
    platform::IniFile ini = platform::IniFile::load(form_.iniFilePath());
    ini.setValue(kSection, "CountIn", choices_.countIn ? "1" : "0");
    ini.setValue(kSection, "LoopFrom", std::to_string(choices_.loopFrom));
    ini.setValue(kSection, "LoopTo", std::to_string(choices_.loopTo));
    ini.setValue(kSection, "Tempo", std::to_string(choices_.tempoPercent));
    std::string error;
    if (!ini.save(&error))
        reportMessage(error);
}
