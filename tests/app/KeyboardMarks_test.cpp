#include <QApplication>
#include <QKeyEvent>

#include "app/TForm2.h"
#include "app/WindowHarness.h"

namespace {

// Counts the key presses that reach the widget it watches.
class KeyWitness : public QObject {
public:
    int presses = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) ++presses;
        return false;
    }
};

struct KeyCase {
    const char* name;
    int key;
    Qt::KeyboardModifiers modifiers;
    QString text;
    int mark;       // PendingEvent afterwards, from 0
    bool consumed;  // the focused control never sees the key
};

void Press(QWidget* target, int key, Qt::KeyboardModifiers modifiers, const QString& text) {
    QKeyEvent event(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(target, &event);
}

class KeyMarks : public WindowTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(KeyMarks, KeyMarksTheEventBeforeTheFocusedControlSeesIt) {
    const KeyCase& keyCase = GetParam();
    TForm1& form = Show();
    KeyWitness witness;
    form.AmpComboBox->installEventFilter(&witness);
    Press(form.AmpComboBox, keyCase.key, keyCase.modifiers, keyCase.text);
    EXPECT_EQ(form.Session.PendingEvent, keyCase.mark);
    EXPECT_EQ(witness.presses, keyCase.consumed ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, KeyMarks,
    ::testing::Values(
        KeyCase{"Digit3StartsEvent3", Qt::Key_3, Qt::NoModifier, "3", 3, false},
        KeyCase{"Digit9StartsEvent9", Qt::Key_9, Qt::NoModifier, "9", 9, false},
        KeyCase{"Keypad5Types5", Qt::Key_5, Qt::KeypadModifier, "5", 5, false},
        KeyCase{"Alt3EndsEvent3", Qt::Key_3, Qt::AltModifier, "3", -3, true},
        KeyCase{"Alt1EndsEvent1", Qt::Key_1, Qt::AltModifier, "1", -1, true},
        KeyCase{"CtrlC_Code3_EndsEvent3", Qt::Key_C, Qt::ControlModifier, QString(QChar(3)), -3, false},
        KeyCase{"CtrlI_Code9_EndsEvent9", Qt::Key_I, Qt::ControlModifier, QString(QChar(9)), -9, false},
        KeyCase{"CtrlAWithoutTextEndsEvent1", Qt::Key_A, Qt::ControlModifier, "", -1, false},
        KeyCase{"Alt0MarksNothing", Qt::Key_0, Qt::AltModifier, "0", 0, false},
        KeyCase{"Digit0MarksNothing", Qt::Key_0, Qt::NoModifier, "0", 0, false},
        KeyCase{"CtrlJ_Code10_MarksNothing", Qt::Key_J, Qt::ControlModifier, QString(QChar(10)), 0, false},
        KeyCase{"AltShift3MarksNothing", Qt::Key_3, Qt::AltModifier | Qt::ShiftModifier, "#", 0, false},
        KeyCase{"CtrlAlt3MarksNothing", Qt::Key_3, Qt::AltModifier | Qt::ControlModifier, "", 0, false},
        KeyCase{"ALetterMarksNothing", Qt::Key_A, Qt::NoModifier, "a", 0, false},
        // Keys that type control codes 1..9 are not Ctrl+A..Ctrl+I.
        KeyCase{"TabMarksNothing", Qt::Key_Tab, Qt::NoModifier, "\t", 0, false},
        KeyCase{"ShiftTabMarksNothing", Qt::Key_Backtab, Qt::ShiftModifier, "\t", 0, false},
        KeyCase{"BackspaceMarksNothing", Qt::Key_Backspace, Qt::NoModifier, "\b", 0, false},
        KeyCase{"EnterMarksNothing", Qt::Key_Return, Qt::NoModifier, "\r", 0, false},
        KeyCase{"EscapeMarksNothing", Qt::Key_Escape, Qt::NoModifier, "\x1b", 0, false}),
    [](const ::testing::TestParamInfo<KeyCase>& info) { return std::string(info.param.name); });

TEST_F(WindowTest, ANewMarkReplacesOneNotYetTaken) {
    TForm1& form = Show();
    Press(&form, Qt::Key_4, Qt::NoModifier, "4");
    Press(&form, Qt::Key_7, Qt::AltModifier, "7");
    EXPECT_EQ(form.Session.PendingEvent, -7);
}

// Typing a digit into the connection dialog is not an event mark.
TEST_F(WindowTest, KeysOfTheDialogsAreNotMarks) {
    TForm1& form = Show();
    Press(form.Form2->ComboBox1, Qt::Key_3, Qt::NoModifier, "3");
    Press(form.Form2->ComboBox1, Qt::Key_3, Qt::AltModifier, "3");
    EXPECT_EQ(form.Session.PendingEvent, 0);
}

}  // namespace
