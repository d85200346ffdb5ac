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

const KeyCase KeyCases[] = {
    {"digit 3 starts event 3", Qt::Key_3, Qt::NoModifier, "3", 3, false},
    {"digit 9 starts event 9", Qt::Key_9, Qt::NoModifier, "9", 9, false},
    {"keypad 5 types 5", Qt::Key_5, Qt::KeypadModifier, "5", 5, false},
    {"Alt+3 ends event 3", Qt::Key_3, Qt::AltModifier, "3", -3, true},
    {"Alt+1 ends event 1", Qt::Key_1, Qt::AltModifier, "1", -1, true},
    {"Ctrl+C (code 3) ends event 3", Qt::Key_C, Qt::ControlModifier, QString(QChar(3)), -3, false},
    {"Ctrl+I (code 9) ends event 9", Qt::Key_I, Qt::ControlModifier, QString(QChar(9)), -9, false},
    {"Ctrl+A without text ends event 1", Qt::Key_A, Qt::ControlModifier, "", -1, false},
    {"Alt+0 marks nothing", Qt::Key_0, Qt::AltModifier, "0", 0, false},
    {"digit 0 marks nothing", Qt::Key_0, Qt::NoModifier, "0", 0, false},
    {"Ctrl+J (code 10) marks nothing", Qt::Key_J, Qt::ControlModifier, QString(QChar(10)), 0, false},
    {"Alt+Shift+3 marks nothing", Qt::Key_3, Qt::AltModifier | Qt::ShiftModifier, "#", 0, false},
    {"Ctrl+Alt+3 marks nothing", Qt::Key_3, Qt::AltModifier | Qt::ControlModifier, "", 0, false},
    {"a letter marks nothing", Qt::Key_A, Qt::NoModifier, "a", 0, false},
    // Keys that type control codes 1..9 are not Ctrl+A..Ctrl+I.
    {"Tab marks nothing", Qt::Key_Tab, Qt::NoModifier, "\t", 0, false},
    {"Shift+Tab marks nothing", Qt::Key_Backtab, Qt::ShiftModifier, "\t", 0, false},
    {"Backspace marks nothing", Qt::Key_Backspace, Qt::NoModifier, "\b", 0, false},
    {"Enter marks nothing", Qt::Key_Return, Qt::NoModifier, "\r", 0, false},
    {"Escape marks nothing", Qt::Key_Escape, Qt::NoModifier, "\x1b", 0, false},
};

void Press(QWidget* target, int key, Qt::KeyboardModifiers modifiers, const QString& text) {
    QKeyEvent event(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(target, &event);
}

TEST_F(WindowTest, KeysMarkEventsBeforeTheFocusedControlSeesThem) {
    TForm1& form = Show();
    KeyWitness witness;
    form.AmpComboBox->installEventFilter(&witness);
    for (const KeyCase& keyCase : KeyCases) {
        SCOPED_TRACE(keyCase.name);
        form.Session.Supervision.PendingEvent = 0;
        witness.presses = 0;
        Press(form.AmpComboBox, keyCase.key, keyCase.modifiers, keyCase.text);
        EXPECT_EQ(form.Session.Supervision.PendingEvent, keyCase.mark);
        EXPECT_EQ(witness.presses, keyCase.consumed ? 0 : 1);
    }
}

TEST_F(WindowTest, ANewMarkReplacesOneNotYetTaken) {
    TForm1& form = Show();
    Press(&form, Qt::Key_4, Qt::NoModifier, "4");
    Press(&form, Qt::Key_7, Qt::AltModifier, "7");
    EXPECT_EQ(form.Session.Supervision.PendingEvent, -7);
}

// Typing a digit into the connection dialog is not an event mark.
TEST_F(WindowTest, KeysOfTheDialogsAreNotMarks) {
    TForm1& form = Show();
    Press(form.Form2->ComboBox1, Qt::Key_3, Qt::NoModifier, "3");
    Press(form.Form2->ComboBox1, Qt::Key_3, Qt::AltModifier, "3");
    EXPECT_EQ(form.Session.Supervision.PendingEvent, 0);
}

}  // namespace
