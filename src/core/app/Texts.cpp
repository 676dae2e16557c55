#include "app/Texts.h"

namespace vtm {

std::string ValueLabelText(int language)
{
    return IsGerman(language) ? "Wert:" : "Val:";
}

std::string ReadFailedText(int language, const std::string &name)
{
    return IsGerman(language) ? "Konnte " + name + " nicht lesen!" : "Reading " + name + " failed!";
}

std::string AppTitle()
{
    return "Vantreelmorbisco";
}

std::string MainCaption(const std::string &fileName)
{
    return fileName.empty() ? AppTitle() : AppTitle() + " [" + fileName + "]";
}

} // namespace vtm
