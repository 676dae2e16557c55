#include "print/PrintTexts.h"

#include "document/Language.h"

namespace vtm {

std::string PrintJobTitle(const std::string &openName)
{
    return "Vantreelmorbisco " + openName;
}

std::string PrintCancelCaption(Language language)
{
    return IsGerman(language) ? "Drucke..." : "Printing...";
}

std::string PrintStopCaption(Language)
{
    return "Stop";
}

std::string PrintPageLabel(Language language, std::int64_t page)
{
    return (IsGerman(language) ? "Seite: " : "Page: ") + std::to_string(page);
}

std::string NoPrinterText(Language language)
{
    return IsGerman(language)
               ? "Es ist kein Drucker installiert.\rSie können trotzdem in eine PDF-Datei drucken."
               : "No printer is installed.\rYou can still print to a PDF file.";
}

std::string PrintBeginFailedText(Language language)
{
    return IsGerman(language) ? "Der Druckauftrag konnte nicht begonnen werden!"
                              : "The print job could not be started!";
}

std::string PrintNewPageFailedText(Language language, std::int64_t page)
{
    const std::string k = std::to_string(page);
    return IsGerman(language)
               ? "Seite " + k + " konnte nicht begonnen werden; der Druck wurde abgebrochen!"
               : "Page " + k + " could not be started; printing was stopped!";
}

} // namespace vtm
