#pragma once

namespace vtm {

// Every text the program shows exists in English and German. The numbers are the ones the
// settings store.
enum class Language : int { German = 7, English = 9 };
inline constexpr Language LanguageGerman = Language::German;
inline constexpr Language LanguageEnglish = Language::English;

// A stored or platform language number: 7 is German, every other number English.
constexpr Language LanguageOf(int number)
{
    return number == int(Language::German) ? Language::German : Language::English;
}

constexpr bool IsGerman(Language language)
{
    return language == Language::German;
}

} // namespace vtm
