#pragma once

namespace vtm {

// The user's language in the numbering the settings use: 7 German, 9 English.
int UserLanguage();
void Beep();

} // namespace vtm
