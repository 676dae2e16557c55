#include "app/Texts.h"
#include "app/Settings.h"
#include "gui/app/CommandLine.h"
#include "gui/app/MainWindow.h"
#include "gui/app/MessageDialog.h"
#include "gui/platform/Platform.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

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
void tellSettingsProblem(const std::string &text, const vtm::Settings &settings, QWidget *parent)
{
    vtm::MessageRequest request;
    request.text = text;
    request.kind = vtm::MessageKind::Error;
    request.language = settings.Language;
    vtm::MessageDialog::ask(request, parent);
}
} // namespace

int main(int argc, char **argv)
{
    const std::vector<std::string> arguments(argv, argv + argc);
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
    std::string settingsProblem;
    const vtm::Settings stored = vtm::LoadSettingsFromStore(
        vtm::LanguageOf(vtm::UserLanguage()), vtm::DefaultCalculatorPath(), &settingsProblem);
    const bool first = vtm::FirstInstance();
    auto window = std::make_unique<vtm::MainWindow>();
    window->applySettings(stored);
    window->placeWindow(stored, vtm::DialogBaseUnits(), first);
    if (command.file)
        window->openOnFirstShow(*command.file);
    window->show();
    if (!settingsProblem.empty())
        QTimer::singleShot(0, window.get(), [&] {
            tellSettingsProblem(settingsProblem, stored, window.get());
        });
    const int result = app.exec();
    const vtm::Settings out = window->collectSettings(stored, vtm::DialogBaseUnits());
    window.reset();
    // Settings that could not be read are not overwritten by the defaults.
    if (settingsProblem.empty()) {
        const std::string failed = vtm::SaveSettingsToStore(out);
        if (!failed.empty())
            tellSettingsProblem(failed, out, nullptr);
    }
    return result;
}
