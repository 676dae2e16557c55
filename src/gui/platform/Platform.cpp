#include "gui/platform/Platform.h"

#include "app/Texts.h"

#include <QApplication>
#include <QLocale>

namespace vtm {

int UserLanguage()
{
    return QLocale::system().language() == QLocale::German ? LanguageGerman : 9;
}

void Beep()
{
    QApplication::beep();
}

} // namespace vtm
