// The control panel and the modulation keys: each control sends its value,
// the range is checked, Setup sends everything, and typed characters are
// previewed by the window before the focused control sees them.
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

    static Bytes control(int controller, int value)
    {
        return {0xB0, std::uint8_t(controller), std::uint8_t(value)};
    }

    static std::vector<Bytes> rangeMessages(int semitones)
    {
        return {control(101, 0), control(100, 0), control(6, semitones)};
    }

    // Replaces the whole text of an edit by typing, as a user does after selecting it.
    static void retype(QLineEdit* edit, const QString& text)
    {
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(edit, text);
    }
};

}  // namespace

TEST_F(ControlPanel, ChoosingARangeSendsItAndSetsTheUnitsPerSemitone)
{
    form->BendRange->setCurrentIndex(form->BendRange->findText(QStringLiteral("24")));
    EXPECT_EQ(captured(), rangeMessages(24));
    EXPECT_EQ(form->RangeSemitones, 24);
    EXPECT_EQ(form->UnitsPerSemitone, 341);

    clearCaptured();
    form->BendRange->setCurrentIndex(form->BendRange->findText(QStringLiteral("7")));
    EXPECT_EQ(captured(), rangeMessages(7));
    EXPECT_EQ(form->UnitsPerSemitone, 1170);
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(ControlPanel, RangesNoToneModuleCanTakeAreRefusedAndTwelveRestored)
{
    // "0" typed over the selected text; the others pasted in one go.
    for (const char* refused : {"0", "-3", "128", "9000"}) {
        form->BendRange->setCurrentText(QStringLiteral("5"));
        clearCaptured();
        messages.clear();
        if (std::string(refused) == "0")
            retype(form->BendRange->lineEdit(), QStringLiteral("0"));
        else
            form->BendRange->setCurrentText(QString::fromLatin1(refused));
        EXPECT_EQ(messages, QStringList{QStringLiteral("Bad range.")}) << refused;
        EXPECT_EQ(form->BendRange->currentText(), QStringLiteral("12")) << refused;
        EXPECT_EQ(form->RangeSemitones, 12) << refused;
        EXPECT_EQ(form->UnitsPerSemitone, 682) << refused;
        EXPECT_EQ(captured(), rangeMessages(12)) << refused;
    }
}

TEST_F(ControlPanel, RangeTextThatIsNoNumberIsReportedAndChangesNothing)
{
    form->BendRange->setCurrentText(QStringLiteral("24"));
    clearCaptured();
    form->BendRange->setCurrentText(QStringLiteral("2x"));
    EXPECT_EQ(messages, QStringList{QStringLiteral("'2x' is not a valid integer value")});
    EXPECT_TRUE(captured().empty());
    EXPECT_EQ(form->RangeSemitones, 24);
    EXPECT_EQ(form->UnitsPerSemitone, 341);
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
    form->BSL->setText(QStringLiteral("3"));
    form->BSM->setText(QStringLiteral("-1"));
    EXPECT_EQ(captured(), (std::vector<Bytes>{control(0, 0), control(32, 3), {0xC0, 40}, control(32, 3), {0xC0, 40}}));
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(ControlPanel, BankTextThatIsNoBankNumberIsReportedAndNothingIsSent)
{
    form->BSM->setText(QStringLiteral("1a"));
    form->BSL->setText(QStringLiteral("200"));
    EXPECT_EQ(messages, (QStringList{QStringLiteral("'1a' is not a valid integer value"),
                                     QStringLiteral("'200' is not a valid bank number (0-127, or -1 to leave it out)")}));
    EXPECT_TRUE(captured().empty());
}

TEST_F(ControlPanel, TheCentreNoteStepsWithoutWrappingAndSendsNothing)
{
    QTest::mouseClick(form->UpDownNoteNo->upButton(), Qt::LeftButton);
    EXPECT_EQ(form->UpDownNoteNo->Position, 70);
    EXPECT_EQ(form->CentreNote, 70);
    EXPECT_EQ(Performer().Note, 70);
    EXPECT_EQ(form->NoteNo->text(), QStringLiteral(" Bb4"));
    EXPECT_TRUE(captured().empty());

    form->UpDownNoteNo->setPosition(103);
    QTest::mouseClick(form->UpDownNoteNo->upButton(), Qt::LeftButton);
    EXPECT_EQ(form->UpDownNoteNo->Position, 103);
    EXPECT_EQ(form->CentreNote, 103);

    form->UpDownNoteNo->setPosition(24);
    QTest::mouseClick(form->UpDownNoteNo->downButton(), Qt::LeftButton);
    EXPECT_EQ(form->CentreNote, 24);
    EXPECT_EQ(form->NoteNo->text(), QStringLiteral(" C 1"));
}

TEST_F(ControlPanel, SetupSendsTheWholePanelAgainInItsOrder)
{
    QTest::mouseClick(form->Setup, Qt::LeftButton);
    EXPECT_EQ(captured(), (std::vector<Bytes>{control(0, 0), control(32, 0), {0xC0, 78}, control(101, 0),
                                              control(100, 0), control(6, 12), control(7, 120), control(1, 0),
                                              control(91, 40), control(93, 0)}));

    // The range is read from the text; the surface's fields stay as they are.
    form->BendRange->setCurrentText(QStringLiteral("5"));
    form->RangeSemitones = 3;
    clearCaptured();
    QTest::mouseClick(form->Setup, Qt::LeftButton);
    EXPECT_EQ(captured()[5], control(6, 5));
    EXPECT_EQ(form->RangeSemitones, 3);
}

TEST_F(ControlPanel, SetupStopsAtTheFirstTextThatIsNoNumber)
{
    {
        const QSignalBlocker quiet(form->BendRange);
        form->BendRange->setCurrentText(QStringLiteral("x"));
    }
    QTest::mouseClick(form->Setup, Qt::LeftButton);
    EXPECT_EQ(captured(), (std::vector<Bytes>{control(0, 0), control(32, 0), {0xC0, 78}}));
    EXPECT_EQ(messages, QStringList{QStringLiteral("'x' is not a valid integer value")});
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

    // The whole row, in the range combo box too.
    const std::pair<char, int> row[] = {{'x', 14}, {'C', 28}, {'v', 42}, {'N', 70}, {',', 98},
                                        {'<', 98}, {'.', 112}, {'>', 112}, {'Z', 0}};
    form->BendRange->lineEdit()->setFocus();
    for (const auto& [key, position] : row) {
        typeChar(form->BendRange->lineEdit(), key);
        EXPECT_EQ(form->Moduration->value(), position) << key;
    }
    EXPECT_EQ(form->BendRange->currentText(), QStringLiteral("12"));
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(ControlPanel, TheLastKeysOfTheRowSetTheMaximumAndStillReachTheFocusedControl)
{
    form->BSL->setFocus();
    typeChar(form->BSL, '/');
    EXPECT_EQ(form->Moduration->value(), 127);
    EXPECT_EQ(form->BSL->text(), QStringLiteral("0/"));
    // The edit took the character, so its text is no bank number any more.
    EXPECT_EQ(messages, QStringList{QStringLiteral("'0/' is not a valid integer value")});
    EXPECT_EQ(captured(), (std::vector<Bytes>{control(1, 127)}));

    for (char key : {'?', ' '}) {
        form->Moduration->setValue(0);
        form->BSL->setText(QStringLiteral("4"));
        typeChar(form->BSL, key);
        EXPECT_EQ(form->BSL->text(), QStringLiteral("4") + QLatin1Char(key));
        EXPECT_EQ(form->Moduration->value(), 127) << key;
    }
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
