#include "app/Texts.h"
#include "gui/app/MainWindow.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

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
    vtm::MainWindow window;
    const QStringList args = QApplication::arguments();
    if (args.size() > 1)
        window.openOnFirstShow(args.at(1));
    window.show();
    return app.exec();
}
