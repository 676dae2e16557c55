#include "app/Calculator.h"

#include "document/Language.h"

namespace vtm {

std::string CalcMissingText(Language language)
{
    return IsGerman(language) ? "Die Rechner-Anwendung konnte nicht gefunden werden. Möchten Sie "
                                "nach ihm suchen?"
                              : "The calculator-application could not be found. Do you want to "
                                "search for it?";
}

std::string CalcSearchTitle(Language language)
{
    return IsGerman(language) ? "Rechner suchen" : "Search for calculator-application";
}

bool LaunchCalculator(CalculatorHost &host, std::string &calcPath, Language language)
{
    while (!host.exists(calcPath)) {
        MessageRequest question;
        question.text = CalcMissingText(language);
        question.kind = MessageKind::Error;
        question.buttons = mbYesNoCancel;
        question.language = language;
        if (host.ask(question) != mrYes)
            return false;
        const std::optional<std::string> chosen =
            host.chooseFile(CalcSearchTitle(language), calcPath);
        if (!chosen)
            return false;
        calcPath = *chosen;
    }
    return host.start(calcPath);
}

std::vector<std::string> CommonCalculators()
{
    return {"gnome-calculator", "kcalc",      "qalculate-qt", "qalculate-gtk",
            "mate-calc",        "galculator", "speedcrunch",  "xcalc"};
}

} // namespace vtm
