#pragma once

#include "document/Language.h"
#include "widgets/SpeedLayout.h"

#include <string>

namespace vtm {

// The tool tip of a toolbar button in the given language.
std::string SpeedButtonHint(SpeedButton button, Language language);

// Whether the button belongs on the toolbar in this language: the decimal button shows
// "Dez" to German users and "Dec" to everyone else.
bool SpeedButtonInLanguage(SpeedButton button, Language language);

} // namespace vtm
