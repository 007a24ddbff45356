#include "app/correctioncontrols.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QTimer>
#include <QWidget>

#include <filesystem>
#include <string>

#include "app/handlerguard.h"
#include "mididata/messagesink.h"
#include "midispec/midispec.h"
#include "perform/session.h"
#include "perform/surfacemapping.h"
#include "platform/inifile.h"

namespace {

const char* const kStrengthCaptions[] = {"Off", "25 %", "50 %", "75 %", "100 %"};

// Digits belong to a field that takes typed text. A key press goes to the
// control with the focus, so its receiver tells where the focus is.
bool isTextField(const QObject* receiver)
{
    if (const auto* combo = qobject_cast<const QComboBox*>(receiver))
        return combo->isEditable();
    return qobject_cast<const QLineEdit*>(receiver) != nullptr ||
           qobject_cast<const QAbstractSpinBox*>(receiver) != nullptr ||
           qobject_cast<const QTextEdit*>(receiver) != nullptr ||
           qobject_cast<const QPlainTextEdit*>(receiver) != nullptr;
}

}  // namespace

CorrectionControls::CorrectionControls(QWidget& window, Session& session, QMenu& surfaceMenu)
    : window_(window), session_(session)
{
    createMenus(surfaceMenu);
    SettleTimer = new QTimer(this);
    SettleTimer->setObjectName(QStringLiteral("SettleTimer"));
    SettleTimer->setTimerType(Qt::PreciseTimer);
    SettleTimer->setInterval(int(PitchCorrection::kSettleIntervalMs));
    connect(SettleTimer, &QTimer::timeout, this, [this] { runGuarded([this] { settleStep(); }); });
    showChoices();
    qApp->installEventFilter(this);
}

CorrectionControls::~CorrectionControls()
{
    qApp->removeEventFilter(this);
}

bool CorrectionControls::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* press = static_cast<QKeyEvent*>(event);
    auto* control = qobject_cast<QWidget*>(watched);
    if (control == nullptr || (control != &window_ && !window_.isAncestorOf(control)) || press->text().size() != 1 ||
        (press->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
        return false;
    bool taken = false;
    runGuarded([&] { taken = keyPress(press->text().front(), watched); });
    return taken;
}

void CorrectionControls::createMenus(QMenu& surfaceMenu)
{
    ScaleMenu = surfaceMenu.addMenu(QStringLiteral("Scale"));
    ScaleMenu->setObjectName(QStringLiteral("Scale1"));
    auto* scales = new QActionGroup(this);
    for (ScaleKind scale : kAllScales) {
        QAction* item = ScaleMenu->addAction(QString::fromStdString(ScaleCaption(scale)));
        item->setObjectName(QStringLiteral("Scale_") + QString::fromStdString(ScaleKeyword(scale)));
        item->setCheckable(true);
        scales->addAction(item);
        connect(item, &QAction::triggered, this, [this, scale] { runGuarded([&] { chooseScale(scale); }); });
        ScaleItems[std::size_t(scale)] = item;
    }

    CorrectionMenu = surfaceMenu.addMenu(QStringLiteral("Correction"));
    CorrectionMenu->setObjectName(QStringLiteral("Correction1"));
    auto* strengths = new QActionGroup(this);
    // A strength from the file that no entry shows leaves every entry unchecked.
    strengths->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (std::size_t i = 0; i < kStrengths.size(); ++i) {
        QAction* item = CorrectionMenu->addAction(QString::fromLatin1(kStrengthCaptions[i]));
        item->setObjectName(QStringLiteral("Strength%1").arg(kStrengths[i]));
        item->setCheckable(true);
        strengths->addAction(item);
        const int percent = kStrengths[i];
        connect(item, &QAction::triggered, this, [this, percent] { runGuarded([&] { chooseStrength(percent); }); });
        StrengthItems[i] = item;
    }
}

const PitchCorrection& CorrectionControls::correction() const
{
    return session_.correction();
}

void CorrectionControls::startSettling()
{
    SettleTimer->start();
}

void CorrectionControls::release()
{
    SettleTimer->stop();
}

void CorrectionControls::settleStep()
{
    if (!session_.settle())
        SettleTimer->stop();
}

bool CorrectionControls::keyPress(QChar key, const QObject* receiver)
{
    const int index = key.unicode() - u'1';
    if (index < 0 || index >= int(kStrengths.size()) || isTextField(receiver))
        return false;
    chooseStrength(kStrengths[std::size_t(index)]);
    return true;
}

void CorrectionControls::chooseStrength(int percent)
{
    session_.chooseStrength(percent);
    showChoices();
}

void CorrectionControls::chooseScale(ScaleKind scale)
{
    // The window redraws the grid when the session tells it of the change.
    session_.chooseScale(scale);
}

ScaleMarks CorrectionControls::gridMarks() const
{
    const PitchCorrection& now = correction();
    return now.settings().scale == ScaleKind::Chromatic ? ScaleTable : ScaleMarksOf(now.settings().scale, now.root());
}

void CorrectionControls::showChoices()
{
    const CorrectionSettings& settings = correction().settings();
    for (ScaleKind scale : kAllScales)
        ScaleItems[std::size_t(scale)]->setChecked(scale == settings.scale);
    for (std::size_t i = 0; i < kStrengths.size(); ++i)
        StrengthItems[i]->setChecked(kStrengths[i] == settings.strength);
}

void CorrectionControls::load(platform::IniFile& settings)
{
    loaded_ = ReadCorrectionSettings(settings);
    session_.setCorrection(loaded_);
    showChoices();
}

void CorrectionControls::save(platform::IniFile& settings)
{
    WriteCorrectionSettings(settings, correction().settings(), loaded_);
}
