#include "app/Texts.h"
#include "app/Settings.h"
#include "gui/app/MainWindow.h"
#include "gui/platform/Platform.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {
// Qt's own message for a missing display is a crash report; say plainly what is needed.
bool displayAvailable()
{
#if defined(Q_OS_LINUX)
    auto set = [](const char *name) {
        const char *v = std::getenv(name);
        return v && *v;
    };
    return set("DISPLAY") || set("WAYLAND_DISPLAY") || set("QT_QPA_PLATFORM");
#else
    return true;
#endif
}
} // namespace

int main(int argc, char **argv)
{
    if (!displayAvailable()) {
        std::fputs("Vantreelmorbisco needs a graphical display (DISPLAY or WAYLAND_DISPLAY is not "
                   "set).\nWithout a desktop, run it under a virtual one:\n"
                   "  xvfb-run -a make run FILE=path\n",
                   stderr);
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(vtm::AppTitle()));
    // Settings before any window, saved once the window is gone.
    const vtm::Settings stored =
        vtm::LoadSettingsFromStore(vtm::UserLanguage(), vtm::DefaultCalculatorPath());
    const bool first = vtm::FirstInstance();
    auto window = std::make_unique<vtm::MainWindow>();
    window->applySettings(stored);
    window->placeWindow(stored, vtm::DialogBaseUnits(), first);
    const QStringList args = QApplication::arguments();
    if (args.size() > 1)
        window->openOnFirstShow(args.at(1));
    window->show();
    const int result = app.exec();
    const vtm::Settings out = window->collectSettings(stored, vtm::DialogBaseUnits());
    window.reset();
    vtm::SaveSettingsToStore(out);
    return result;
}
