#pragma once

#include "app/EditorState.h"
#include "app/Settings.h"

namespace vtm {

// The stored settings into the editor's state, at start.
void ApplySettings(EditorState &s, const Settings &settings);
// The state's settings over `stored` (which keeps what the state does not hold), at exit.
Settings CollectSettings(const EditorState &s, Settings stored);

} // namespace vtm
