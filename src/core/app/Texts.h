#pragma once

#include <string>

namespace vtm {

// Every text the program shows exists in English and German; 7 selects German.
constexpr int LanguageGerman = 7;

inline bool IsGerman(int language)
{
    return language == LanguageGerman;
}

std::string ValueLabelText(int language);
std::string ReadFailedText(int language, const std::string &name);
std::string AppTitle();
std::string MainCaption(const std::string &fileName);

} // namespace vtm
