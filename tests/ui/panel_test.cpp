// The control panel and the modulation keys: each control sends its value,
// the range is checked, Setup sends everything, and typed characters are
// previewed by the window before the focused control sees them.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QToolButton>

#include "app/strtoint.h"
#include "app/widgets.h"
#include "mainwindow_fixture.h"

namespace {

class ControlPanel : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        messages.clear();
        clearCaptured();
    }

    static Bytes control(int controller, int value) { return {0xB0, std::uint8_t(controller), std::uint8_t(value)}; }

    static std::vector<Bytes> rangeMessages(int semitones)
    {
        return {control(101, 0), control(100, 0), control(6, semitones)};
    }

    // What Setup sends for the panel as designed: bank, program, bend range,
    // volume, modulation, reverb and chorus.
    static std::vector<Bytes> designedPanel()
    {
        return {control(0, 0),  control(32, 0),  {0xC0, 78},    control(101, 0), control(100, 0),
                control(6, 12), control(7, 120), control(1, 0), control(91, 40), control(93, 0)};
    }
};

}  // namespace

TEST_F(ControlPanel, ChoosingARangeSendsItAndSetsTheUnitsPerSemitone)
{
    // The list after "12" holds "24"; Up goes back through "12" to "7".
    form->BendRange->setFocus();
    QTest::keyClick(form->BendRange, Qt::Key_Down);
    EXPECT_EQ(captured(), rangeMessages(24));
    EXPECT_EQ(form->session().axis().rangeSemitones, 24);
    EXPECT_EQ(form->session().axis().unitsPerSemitone, 341);

    clearCaptured();
    QTest::keyClick(form->BendRange, Qt::Key_Up);
    QTest::keyClick(form->BendRange, Qt::Key_Up);
    EXPECT_EQ(captured(), (std::vector<Bytes>{control(101, 0), control(100, 0), control(6, 12), control(101, 0),
                                              control(100, 0), control(6, 7)}));
    EXPECT_EQ(form->session().axis().unitsPerSemitone, 1170);

    // Leaving the box with the range in use sends nothing again.
    clearCaptured();
    form->setFocus();
    EXPECT_TRUE(captured().empty());
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(ControlPanel, ATypedRangeIsSentOnceWhenCommittedAndNeverWhileTyping)
{
    QLineEdit* edit = form->BendRange->lineEdit();
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, QStringLiteral("1"));
    // No completion to "12" on the way to "16", and no box for the empty text.
    EXPECT_EQ(form->BendRange->currentText(), QStringLiteral("1"));
    QTest::keyClicks(edit, QStringLiteral("6"));
    form->resize(form->width() + 20, form->height());
    EXPECT_TRUE(captured().empty());
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(form->session().axis().rangeSemitones, 12);

    // Leaving the box commits it.
    form->Panel1->setFocus();
    EXPECT_EQ(captured(), rangeMessages(16));
    EXPECT_EQ(form->session().axis().rangeSemitones, 16);
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(ControlPanel, RangesNoToneModuleCanTakeAreRefusedAndTwelveRestored)
{
    for (const char* refused : {"0", "-3", "128", "9000"}) {
        enterText(form->BendRange->lineEdit(), QStringLiteral("5"));
        clearCaptured();
        messages.clear();
        enterText(form->BendRange->lineEdit(), QString::fromLatin1(refused));
        EXPECT_EQ(messages, QStringList{QStringLiteral("Bad range.")}) << refused;
        EXPECT_EQ(form->BendRange->currentText(), QStringLiteral("12")) << refused;
        EXPECT_EQ(form->session().axis().rangeSemitones, 12) << refused;
        EXPECT_EQ(form->session().axis().unitsPerSemitone, 682) << refused;
        EXPECT_EQ(captured(), rangeMessages(12)) << refused;
    }
}

TEST_F(ControlPanel, RangeTextThatIsNoNumberIsSaidOnceAndTheRangeInUseComesBack)
{
    enterText(form->BendRange->lineEdit(), QStringLiteral("24"));
    clearCaptured();
    enterText(form->BendRange->lineEdit(), QStringLiteral("2q"));
    form->Panel1->setFocus();
    EXPECT_EQ(messages, QStringList{QStringLiteral("'2q' is not a valid integer value")});
    EXPECT_TRUE(captured().empty());
    EXPECT_EQ(form->BendRange->currentText(), QStringLiteral("24"));
    EXPECT_EQ(form->session().axis().rangeSemitones, 24);
    EXPECT_EQ(form->session().axis().unitsPerSemitone, 341);
}

TEST_F(ControlPanel, EachControlSendsItsValueAsItChanges)
{
    form->Volume->setValue(90);
    form->Reverb->setValue(64);
    form->Chorus->setValue(7);
    form->Moduration->setValue(33);
    form->Velosity->setValue(77);
    EXPECT_EQ(captured(), (std::vector<Bytes>{control(7, 90), control(91, 64), control(93, 7), control(1, 33)}));
    EXPECT_EQ(Performer().Velocity, 77) << "velocity is stored for the next note";

    clearCaptured();
    form->ProgChg->setCurrentIndex(40);
    EXPECT_EQ(captured(), (std::vector<Bytes>{control(0, 0), control(32, 0), {0xC0, 40}}));

    clearCaptured();
    enterText(form->BSL, QStringLiteral("3"));
    enterText(form->BSM, QStringLiteral("-1"));
    EXPECT_EQ(captured(), (std::vector<Bytes>{control(0, 0), control(32, 3), {0xC0, 40}, control(32, 3), {0xC0, 40}}));
    EXPECT_TRUE(messages.isEmpty()) << "no box for the \"-\" on the way to \"-1\"";
}

TEST_F(ControlPanel, ABankIsCheckedWhenCommittedSaidOnceAndPutBack)
{
    enterText(form->BSL, QStringLiteral("5"));
    clearCaptured();

    // Retyping waits, whatever the edit holds meanwhile.
    form->BSM->setFocus();
    QTest::keyClick(form->BSM, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(form->BSM, Qt::Key_Backspace);
    QTest::keyClicks(form->BSM, QStringLiteral("1a"));
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_TRUE(captured().empty());
    // An instrument chosen meanwhile goes out with the banks in use.
    form->ProgChg->setCurrentIndex(10);
    EXPECT_EQ(captured(), (std::vector<Bytes>{control(0, 0), control(32, 5), {0xC0, 10}}));
    EXPECT_TRUE(messages.isEmpty());

    clearCaptured();
    form->Panel1->setFocus();
    EXPECT_EQ(messages, QStringList{QStringLiteral("'1a' is not a valid integer value")});
    EXPECT_EQ(form->BSM->text(), QStringLiteral("0"));
    EXPECT_TRUE(captured().empty());

    messages.clear();
    enterText(form->BSL, QStringLiteral("200"));
    form->Panel1->setFocus();
    EXPECT_EQ(messages, QStringList{QStringLiteral("'200' is not a valid bank number (0-127, or -1 to leave it out)")});
    EXPECT_EQ(form->BSL->text(), QStringLiteral("5"));

    messages.clear();
    form->BSL->setFocus();
    QTest::keyClick(form->BSL, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(form->BSL, Qt::Key_Backspace);
    QTest::keyClick(form->BSL, Qt::Key_Return);
    EXPECT_EQ(messages, QStringList{QStringLiteral("'' is not a valid integer value")});
    EXPECT_EQ(form->BSL->text(), QStringLiteral("5"));
    EXPECT_TRUE(captured().empty());
}

TEST_F(ControlPanel, TheCentreNoteStepsWithoutWrappingAndSendsNothing)
{
    QTest::mouseClick(form->UpDownNoteNo->upButton(), Qt::LeftButton);
    EXPECT_EQ(form->UpDownNoteNo->Position, 70);
    EXPECT_EQ(form->session().axis().centreNote, 70);
    EXPECT_EQ(Performer().Note, 70);
    EXPECT_EQ(form->NoteNo->text(), QStringLiteral(" Bb4"));
    EXPECT_TRUE(captured().empty());

    form->UpDownNoteNo->setPosition(103);
    QTest::mouseClick(form->UpDownNoteNo->upButton(), Qt::LeftButton);
    EXPECT_EQ(form->UpDownNoteNo->Position, 103);
    EXPECT_EQ(form->session().axis().centreNote, 103);

    form->UpDownNoteNo->setPosition(24);
    QTest::mouseClick(form->UpDownNoteNo->downButton(), Qt::LeftButton);
    EXPECT_EQ(form->session().axis().centreNote, 24);
    EXPECT_EQ(form->NoteNo->text(), QStringLiteral(" C 1"));
}

TEST_F(ControlPanel, SetupSendsTheWholePanelAgainInItsOrder)
{
    QTest::mouseClick(form->Setup, Qt::LeftButton);
    EXPECT_EQ(captured(), designedPanel());

    enterText(form->BendRange->lineEdit(), QStringLiteral("5"));
    clearCaptured();
    QTest::mouseClick(form->Setup, Qt::LeftButton);
    EXPECT_EQ(captured()[5], control(6, 5));
    EXPECT_EQ(form->session().axis().rangeSemitones, 5);
}

TEST_F(ControlPanel, SetupSendsTheValuesInUseWhileAnEntryIsBeingTyped)
{
    {
        const QSignalBlocker quiet(form->BendRange);
        form->BendRange->setCurrentText(QStringLiteral("q"));
    }
    form->BSM->setText(QStringLiteral("-"));
    form->Setup->click();
    EXPECT_EQ(captured(), designedPanel());
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(ControlPanel, LetterKeysSetTheModulationAndNeverReachTheFocusedControl)
{
    form->BSM->setFocus();
    typeChar(form->BSM, 'b');
    EXPECT_EQ(form->BSM->text(), QStringLiteral("0"));
    EXPECT_EQ(form->Moduration->value(), 56);
    EXPECT_EQ(captured(), (std::vector<Bytes>{control(1, 56)}));

    clearCaptured();
    typeChar(form->BSM, 'M');
    EXPECT_EQ(captured(), (std::vector<Bytes>{control(1, 84)}));
    clearCaptured();
    typeChar(form->BSM, 'm');
    EXPECT_TRUE(captured().empty()) << "the position does not change";
    typeChar(form->BSM, 'z');
    EXPECT_EQ(captured(), (std::vector<Bytes>{control(1, 0)}));

    // The whole row, in the range combo box too, and the keys of the maximum.
    const std::pair<char, int> row[] = {{'x', 14},  {'C', 28},  {'v', 42}, {'N', 70},  {',', 98}, {'<', 98},
                                        {'.', 112}, {'>', 112}, {'Z', 0},  {'/', 127}, {'Z', 0},  {'?', 127}};
    form->BendRange->lineEdit()->setFocus();
    for (const auto& [key, position] : row) {
        typeChar(form->BendRange->lineEdit(), key);
        EXPECT_EQ(form->Moduration->value(), position) << key;
    }
    EXPECT_EQ(form->BendRange->currentText(), QStringLiteral("12"));
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(ControlPanel, TheKeysOfTheMaximumGoNoFurtherThanTheWindow)
{
    form->BSL->setFocus();
    typeChar(form->BSL, '/');
    EXPECT_EQ(form->Moduration->value(), 127);
    EXPECT_EQ(form->BSL->text(), QStringLiteral("0"));
    EXPECT_EQ(captured(), (std::vector<Bytes>{control(1, 127)}));

    // A space on a check box or on Setup sets the modulation and does nothing else.
    for (QWidget* control : {static_cast<QWidget*>(form->EasyMode), static_cast<QWidget*>(form->XAxTone),
                             static_cast<QWidget*>(form->Setup)}) {
        form->Moduration->setValue(0);
        control->setFocus();
        clearCaptured();
        QTest::keyClick(control, Qt::Key_Space);
        EXPECT_EQ(form->Moduration->value(), 127) << control->objectName().toStdString();
        EXPECT_EQ(captured(), (std::vector<Bytes>{{0xB0, 1, 127}})) << control->objectName().toStdString();
    }
    EXPECT_FALSE(form->EasyMode->isChecked());
    EXPECT_FALSE(form->XAxTone->isChecked());
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(ControlPanel, TheSurfaceHasTheKeysFromTheStart)
{
    EXPECT_EQ(form->focusWidget(), form->Panel1);
    QTest::keyClick(form->focusWidget(), '/');
    EXPECT_EQ(form->Moduration->value(), 127);
    EXPECT_EQ(form->BSM->text(), QStringLiteral("0"));
    clearCaptured();
    form->ProgChg->setCurrentIndex(3);
    EXPECT_EQ(captured(), (std::vector<Bytes>{control(0, 0), control(32, 0), {0xC0, 3}}));
    EXPECT_TRUE(messages.isEmpty());

    // A click on the surface takes the keys back from an entry of the panel.
    form->BSM->setFocus();
    QTest::mouseClick(form->Image4, Qt::LeftButton, {}, {150, 150});
    EXPECT_EQ(form->focusWidget(), form->Panel1);
}

TEST_F(ControlPanel, OtherCharactersAndShortcutsAreLeftToTheControl)
{
    form->BSM->setFocus();
    typeChar(form->BSM, '5');
    EXPECT_EQ(form->BSM->text(), QStringLiteral("05"));
    EXPECT_EQ(form->Moduration->value(), 0);

    // Ctrl+Z is the edit's undo, not a modulation key.
    form->Moduration->setValue(70);
    QTest::keyClick(form->BSM, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(form->Moduration->value(), 70);
}

TEST_F(ControlPanel, KeysTypedWhileTheWindowItselfHasTheFocusSetTheModulation)
{
    form->setFocus();
    QTest::keyClick(form.get(), 'n');
    EXPECT_EQ(form->Moduration->value(), 70);
    EXPECT_EQ(captured(), (std::vector<Bytes>{control(1, 70)}));
}

TEST_F(ControlPanel, StrToIntReadsWholeNumbersAndNamesTheTextItCannotRead)
{
    EXPECT_EQ(StrToInt(QStringLiteral("24")), 24);
    EXPECT_EQ(StrToInt(QStringLiteral(" -1 ")), -1);
    EXPECT_EQ(StrToInt(QStringLiteral("+7")), 7);
    EXPECT_EQ(StrToInt(QStringLiteral("2147483647")), 2147483647);
    for (const char* bad : {"", "abc", "1.5", "0x10", "2147483648", "1 2"}) {
        try {
            StrToInt(QString::fromLatin1(bad));
            ADD_FAILURE() << "accepted '" << bad << "'";
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(std::string(error.what()), "'" + std::string(bad) + "' is not a valid integer value");
        }
    }
}
