#include "gui/app/HelpWindow.h"

#include "app/Help.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace vtm {

HelpWindow::HelpWindow(QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("HelpWindow"));
    m_browser = new QTextBrowser(this);
    m_browser->setOpenLinks(true);
    // Links to the web leave the help for the desktop's browser.
    m_browser->setOpenExternalLinks(true);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);
    resize(680, 620);
}

QString HelpWindow::showContext(Language language, int context, const QString &programDir)
{
    const QString dir = programDir.isEmpty() ? QCoreApplication::applicationDirPath() : programDir;
    const QString path = QString::fromStdString(
        HelpFilePath(QDir::toNativeSeparators(dir).toStdString(), language, context));
    if (!QFileInfo(path).isFile())
        return path;
    setWindowTitle(QString::fromUtf8(HelpWindowTitle(language)));
    m_browser->setSource(QUrl::fromLocalFile(path));
    return QString();
}

QString ShowHelp(QWidget *parent, Language language, int context, const QString &programDir)
{
    HelpWindow *window =
        parent ? parent->findChild<HelpWindow *>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
    const bool created = !window;
    if (created) {
        window = new HelpWindow(parent);
        if (!parent)
            window->setAttribute(Qt::WA_DeleteOnClose);
    }
    const QString missing = window->showContext(language, context, programDir);
    if (!missing.isEmpty()) {
        if (created)
            delete window;
        return missing;
    }
    window->show();
    window->raise();
    window->activateWindow();
    return QString();
}

} // namespace vtm
