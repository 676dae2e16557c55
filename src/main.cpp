#include "app/Texts.h"
#include "app/Settings.h"
#include "gui/app/CommandLine.h"
#include "gui/app/MainWindow.h"
#include "gui/platform/Platform.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>
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
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const vtm::CommandLine command = vtm::ParseCommandLine(arguments);
    switch (command.action) {
    case vtm::CommandLine::Action::Help:
    case vtm::CommandLine::Action::Version:
        std::fputs(command.output.toLocal8Bit().constData(), stdout);
        return 0;
    case vtm::CommandLine::Action::Error:
        std::fputs(command.output.toLocal8Bit().constData(), stderr);
        return 2;
    case vtm::CommandLine::Action::Run: break;
    }
    if (!displayAvailable()) {
        std::fputs("Vantreelmorbisco needs a graphical display (DISPLAY or WAYLAND_DISPLAY is not "
                   "set).\nWithout a desktop, run it under a virtual one:\n"
                   "  xvfb-run -a make run FILE=path\n",
                   stderr);
        return 1;
    }
    // Qt takes its own options (-style, -platform) but none of the files after "--".
    int qtArgc = 0;
    while (qtArgc < argc && std::strcmp(argv[qtArgc], "--") != 0)
        ++qtArgc;
    QApplication app(qtArgc, argv);
    QApplication::setApplicationName(QString::fromUtf8(vtm::AppTitle()));
    // Settings before any window, saved once the window is gone.
    const vtm::Settings stored = vtm::LoadSettingsFromStore(vtm::LanguageOf(vtm::UserLanguage()),
                                                            vtm::DefaultCalculatorPath());
    const bool first = vtm::FirstInstance();
    auto window = std::make_unique<vtm::MainWindow>();
    window->applySettings(stored);
    window->placeWindow(stored, vtm::DialogBaseUnits(), first);
    if (command.file)
        window->openOnFirstShow(*command.file);
    window->show();
    const int result = app.exec();
    const vtm::Settings out = window->collectSettings(stored, vtm::DialogBaseUnits());
    window.reset();
    vtm::SaveSettingsToStore(out);
    return result;
}
