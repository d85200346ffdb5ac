#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

#include "app/TForm1.h"

namespace {

// A control that takes typed text: a key typed there is the user's text.
bool TakesText(const QWidget* widget) {
    if (qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QAbstractSpinBox*>(widget)) return true;
    if (const auto* edit = qobject_cast<const QPlainTextEdit*>(widget)) return !edit->isReadOnly();
    if (const auto* edit = qobject_cast<const QTextEdit*>(widget)) return !edit->isReadOnly();
    if (const auto* combo = qobject_cast<const QComboBox*>(widget)) return combo->isEditable();
    return false;
}

// The event a key stroke marks as a key combination: digits 1..9 typed
// start event 1..9, Ctrl+A..Ctrl+I end it (Alt+digit is taken earlier).
// Control characters typed by other keys (Tab is 9, Backspace 8) mark
// nothing. 0 when the key marks nothing.
int MarkOfKey(const QKeyEvent& event) {
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    const bool control = (modifiers & Qt::ControlModifier) && !(modifiers & Qt::AltModifier);
    if (control && event.key() >= Qt::Key_A && event.key() <= Qt::Key_I) return -(event.key() - Qt::Key_A + 1);
    if (modifiers & (Qt::ControlModifier | Qt::AltModifier) || event.text().size() != 1) return 0;
    const char16_t typed = event.text().at(0).unicode();
    return typed >= u'1' && typed <= u'9' ? typed - u'0' : 0;
}

}  // namespace

// Sees every key of this window before its focused control. While marks
// are taken, it also sees the keys of the program's other windows, a
// message box above all: a message shown during a measurement must not
// cost its marks. Keys typed into a text field there stay the field's.
bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return false;
    const auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget) return false;
    const bool ownWindow = widget->window() == this;
    if (!ownWindow && (!Session.MarksTaken() || TakesText(widget))) return false;
    const auto& key = static_cast<const QKeyEvent&>(*event);
    // The upload panel's button is the default one while the panel shows.
    if (ownWindow && (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) && Session.UploadPanel.Visible &&
        Session.UploadPanel.OkEnabled) {
        UploadOkButton->click();
        return true;
    }
    if (FormKeyDown(key.key(), key.modifiers())) return true;
    return FormKeyPress(MarkOfKey(key));
}

// Alt+1..Alt+9 ends event 1..9; the key goes no further.
bool TForm1::FormKeyDown(int key, Qt::KeyboardModifiers modifiers) {
    if (modifiers != Qt::AltModifier || key < Qt::Key_1 || key > Qt::Key_9) return false;
    Session.MarkEvent(-(key - Qt::Key_0));
    return true;
}

// Typing 1..9 starts event 1..9; Ctrl+A..Ctrl+I ends it. While marks are
// taken, the key goes no further (the session says when).
bool TForm1::FormKeyPress(int mark) {
    return mark != 0 && Session.MarkEvent(mark);
}
