#include "gui/app/KeyEvents.h"

#include <QKeyEvent>

namespace vtm {

KeyStroke toKeyStroke(const QKeyEvent *event)
{
    KeyStroke k;
    const Qt::KeyboardModifiers mods = event->modifiers();
    if (mods & Qt::ShiftModifier)
        k.modifiers |= Shift;
    if (mods & Qt::ControlModifier)
        k.modifiers |= Ctrl;
    if (mods & Qt::AltModifier)
        k.modifiers |= Alt;
    const int key = event->key();
    switch (key) {
    case Qt::Key_Up: k.key = Key::Up; break;
    case Qt::Key_Down: k.key = Key::Down; break;
    case Qt::Key_Left: k.key = Key::Left; break;
    case Qt::Key_Right: k.key = Key::Right; break;
    case Qt::Key_PageUp: k.key = Key::PageUp; break;
    case Qt::Key_PageDown: k.key = Key::PageDown; break;
    case Qt::Key_Home: k.key = Key::Home; break;
    case Qt::Key_End: k.key = Key::End; break;
    case Qt::Key_Tab: k.key = Key::Tab; break;
    case Qt::Key_Backspace: k.key = Key::Backspace; break;
    case Qt::Key_Delete: k.key = Key::Delete; break;
    case Qt::Key_Insert: k.key = Key::Insert; break;
    case Qt::Key_Backtab:
        k.key = Key::Tab;
        k.modifiers |= Shift;
        break;
    default:
        if (key >= Qt::Key_A && key <= Qt::Key_Z) {
            k.key = Key::Letter;
            k.letter = char('A' + (key - Qt::Key_A));
        } else if (key >= Qt::Key_F1 && key <= Qt::Key_F24) {
            k.key = Key::Function;
            k.letter = char(1 + (key - Qt::Key_F1));
        }
        break;
    }
    return k;
}

} // namespace vtm
