#include <QKeyEvent>

#include "app/TForm1.h"

namespace {

// The character a key stroke types, with Ctrl+A..Ctrl+Z giving the control
// codes 1..26 also where the platform leaves the text of such a key empty.
QChar TypedCharacter(const QKeyEvent& event) {
    if (event.text().size() == 1) return event.text().at(0);
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    if ((modifiers & Qt::ControlModifier) && !(modifiers & Qt::AltModifier) && event.key() >= Qt::Key_A &&
        event.key() <= Qt::Key_Z)
        return QChar(event.key() - Qt::Key_A + 1);
    return {};
}

}  // namespace

// Sees every key of this window before its focused control.
bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return false;
    const auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this) return false;
    const auto& key = static_cast<const QKeyEvent&>(*event);
    // The upload panel's button is the default one while the panel shows.
    if ((key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) && Session.UploadPanel.Visible &&
        Session.UploadPanel.OkEnabled) {
        UploadOkButton->click();
        return true;
    }
    if (FormKeyDown(key.key(), key.modifiers())) return true;
    const QChar typed = TypedCharacter(key);
    if (!typed.isNull()) FormKeyPress(typed);
    return false;
}

// Alt+1..Alt+9 ends event 1..9; the key goes no further.
bool TForm1::FormKeyDown(int key, Qt::KeyboardModifiers modifiers) {
    if (modifiers != Qt::AltModifier || key < Qt::Key_1 || key > Qt::Key_9) return false;
    Session.MarkEvent(-(key - Qt::Key_0));
    return true;
}

// Typing 1..9 starts event 1..9; Ctrl+A..Ctrl+I (codes 1..9) ends it.
void TForm1::FormKeyPress(QChar character) {
    const char16_t code = character.unicode();
    if (code >= u'1' && code <= u'9') Session.MarkEvent(code - u'0');
    else if (code >= 1 && code <= 9) Session.MarkEvent(-static_cast<int>(code));
}
