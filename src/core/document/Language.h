#pragma once

namespace vtm {

// Every text the program shows exists in English and German; 7 selects German.
constexpr int LanguageGerman = 7;
constexpr int LanguageEnglish = 9;

inline bool IsGerman(int language)
{
    return language == LanguageGerman;
}

} // namespace vtm
