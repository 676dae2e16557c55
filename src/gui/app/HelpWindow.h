#pragma once

#include "document/Language.h"
#include <QString>
#include <QWidget>

class QTextBrowser;

namespace vtm {

// The program's help: a window of its own beside the main window, which stays usable.
class HelpWindow : public QWidget
{
    Q_OBJECT
public:
    explicit HelpWindow(QWidget *parent = nullptr);

    // Shows the page for a help context. Returns the path of the missing help file, or an
    // empty string when the page is shown. An empty programDir means the program's own.
    QString showContext(Language language, int context, const QString &programDir = QString());

    QTextBrowser *browser() const { return m_browser; }

private:
    QTextBrowser *m_browser = nullptr;
};

// Shows the help for a context in parent's help window, creating it on first use. Returns the
// path of a missing help file (for the caller's error box, HelpMissingText) or an empty
// string when the page is shown.
QString ShowHelp(QWidget *parent, Language language, int context,
                 const QString &programDir = QString());

} // namespace vtm
