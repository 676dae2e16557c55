#pragma once

#include "view/KeyMap.h"

class QKeyEvent;

namespace vtm {

// The key and modifiers of a Qt key event in the editor's terms, for the shortcut table.
KeyStroke toKeyStroke(const QKeyEvent *event);

} // namespace vtm
