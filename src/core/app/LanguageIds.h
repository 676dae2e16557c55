#pragma once

#include <string_view>

namespace vtm {

// The Windows primary language number of a locale, given as its language code ("de",
// "fr", "hsb") or as a whole locale name ("de_CH", "pt-BR", "sr_RS@latin"). Settings keep
// this number so that they mean the same on every platform; an unknown language, and the
// "C" locale, give English (9).
int PrimaryLanguageId(std::string_view locale);

} // namespace vtm
