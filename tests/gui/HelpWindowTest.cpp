#include "gui/app/AboutDialog.h"
#include "gui/app/HelpWindow.h"
#include "gui/platform/Calculator.h"

#include "app/Help.h"
#include "document/Format.h"
#include "document/Language.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <QTimer>
#include <QUrl>

#include <signal.h>

using namespace vtm;

namespace {

// The build puts the help beside the program in <build>/src; the tests run in <build>/tests.
QString programDir()
{
    return QDir(QCoreApplication::applicationDirPath() + QStringLiteral("/../src")).absolutePath();
}

HelpWindow *helpWindowOf(QWidget &parent)
{
    const auto windows = parent.findChildren<HelpWindow *>(QString(), Qt::FindDirectChildrenOnly);
    return windows.size() == 1 ? windows.front() : nullptr;
}

struct Links
{
    QStringList hrefs;
    QSet<QString> names;
};

Links linksOf(const QTextDocument &doc)
{
    Links links;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (!format.isAnchor())
                continue;
            if (!format.anchorHref().isEmpty())
                links.hrefs << format.anchorHref();
            for (const QString &name : format.anchorNames())
                links.names.insert(name);
        }
    }
    return links;
}

QTextTable *firstTable(const QTextDocument &doc)
{
    for (QTextFrame *frame : doc.rootFrame()->childFrames())
        if (auto *table = qobject_cast<QTextTable *>(frame))
            return table;
    return nullptr;
}

QString cellText(QTextTable *table, int row, int column)
{
    const QTextTableCell cell = table->cellAt(row, column);
    QTextCursor cursor = cell.firstCursorPosition();
    cursor.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
    return cursor.selectedText();
}

QString accessibleName(QObject *o)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(o);
    return iface ? iface->text(QAccessible::Name) : QString();
}

QString writeScript(const QTemporaryDir &dir, const QString &name, const QByteArray &body)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    file.write("#!/bin/sh\n" + body + "\n");
    file.close();
    file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
    return path;
}

} // namespace

TEST(HelpWindow, ShowsEveryPageAndItsLinksResolve)
{
    QWidget parent;
    const QString dir = programDir();
    for (Language language : {LanguageEnglish, LanguageGerman}) {
        for (int context : {HelpContextContents, HelpContextCharTable}) {
            SCOPED_TRACE(int(language) * 10000 + context);
            ASSERT_EQ(ShowHelp(&parent, language, context, dir), QString());
            HelpWindow *window = helpWindowOf(parent); // one window, reused
            ASSERT_NE(window, nullptr);
            EXPECT_TRUE(window->isVisible());
            EXPECT_EQ(window->windowTitle(), QString::fromUtf8(HelpWindowTitle(language)));

            const QUrl source = window->browser()->source();
            EXPECT_TRUE(source.toLocalFile().endsWith(
                QString::fromStdString("/help/" + HelpPageName(language, context))));
            const QString text = window->browser()->document()->toPlainText();
            const bool german = language == LanguageGerman;
            if (context == HelpContextContents) {
                EXPECT_TRUE(text.contains(german ? QStringLiteral("Strg+Einfg")
                                                 : QStringLiteral("Ctrl+Ins")));
            } else {
                EXPECT_TRUE(text.contains(german ? QStringLiteral("Zeichentabelle")
                                                 : QStringLiteral("Character table")));
            }

            // Every link leads to a help page that exists or to an anchor on this page.
            const Links links = linksOf(*window->browser()->document());
            EXPECT_FALSE(links.hrefs.isEmpty());
            for (const QString &href : links.hrefs) {
                if (href.startsWith(QLatin1Char('#'))) {
                    EXPECT_TRUE(links.names.contains(href.mid(1))) << href.toStdString();
                } else {
                    const QString target = source.resolved(QUrl(href)).toLocalFile();
                    EXPECT_TRUE(QFileInfo(target).isFile()) << target.toStdString();
                }
            }
        }
    }

    // A click on a link shows that page in the same window.
    HelpWindow *window = helpWindowOf(parent);
    ASSERT_NE(window, nullptr);
    QTextBrowser *browser = window->browser();
    const QTextCursor link = browser->document()->find(QStringLiteral("Inhalt"));
    ASSERT_FALSE(link.isNull());
    QTextCursor inside(browser->document());
    inside.setPosition(link.selectionStart() + 2);
    const QPoint at = browser->cursorRect(inside).center();
    QTest::mouseClick(browser->viewport(), Qt::LeftButton, {}, at);
    EXPECT_TRUE(browser->source().toLocalFile().endsWith(QStringLiteral("/help/de/index.html")))
        << browser->source().toString().toStdString();
}

TEST(HelpWindow, CharacterTableShowsWhatTheDumpShows)
{
    QWidget parent;
    ASSERT_EQ(ShowHelp(&parent, LanguageEnglish, HelpContextCharTable, programDir()), QString());
    QTextTable *table = firstTable(*helpWindowOf(parent)->browser()->document());
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table->rows(), 129);
    ASSERT_EQ(table->columns(), 9);
    for (int b = 0; b < 256; ++b) {
        SCOPED_TRACE(b);
        const int row = b % 128 + 1;
        const int column = b < 128 ? 0 : 5;
        EXPECT_EQ(cellText(table, row, column),
                  QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper());
        EXPECT_EQ(cellText(table, row, column + 1), QString::number(b));
        EXPECT_EQ(cellText(table, row, column + 2),
                  QString::fromStdString(BinaryString(std::uint32_t(b), 8)));
        const char shown = DisplayChar(std::uint8_t(b), false, true);
        const QChar expected = shown == ' ' ? QChar(QChar::Nbsp)
                                            : QChar(char16_t(Cp1252ToUnicode(std::uint8_t(shown))));
        EXPECT_EQ(cellText(table, row, column + 3), QString(expected));
    }
}

TEST(HelpWindow, MissingFileIsReportedWithItsPath)
{
    QTemporaryDir empty;
    ASSERT_TRUE(empty.isValid());
    QWidget parent;
    EXPECT_EQ(ShowHelp(&parent, LanguageGerman, HelpContextCharTable, empty.path()),
              empty.path() + QStringLiteral("/help/de/chartable.html"));
    EXPECT_EQ(helpWindowOf(parent), nullptr);
}

TEST(Calculator, StartsOnceWhileItRunsAndOutlivesTheEditor)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    std::string calcPath = writeScript(dir, QStringLiteral("calc"), "exec sleep 30").toStdString();
    auto *calculator = new Calculator;
    ASSERT_TRUE(calculator->launch(nullptr, calcPath, LanguageEnglish, {}));
    const qint64 first = calculator->processId();
    ASSERT_GT(first, 0);
    EXPECT_TRUE(calculator->launch(nullptr, calcPath, LanguageEnglish, {}));
    EXPECT_EQ(calculator->processId(), first);

    // Once it has ended, the next click starts a new one.
    ::kill(pid_t(first), SIGTERM);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !calculator->isRunning(); }, 5000));
    ASSERT_TRUE(calculator->launch(nullptr, calcPath, LanguageEnglish, {}));
    const pid_t second = pid_t(calculator->processId());
    EXPECT_NE(second, first);

    delete calculator;
    QTest::qWait(50);
    EXPECT_EQ(::kill(second, 0), 0) << "closing the editor ended the calculator";
    ::kill(second, SIGKILL);
}

TEST(About, ShowsNameAndVersion)
{
    TKaAboutForm about;
    QString title;
    QTimer::singleShot(0, &about, [&] {
        auto *d = qobject_cast<TKaAboutForm *>(QApplication::activeModalWidget());
        if (!d) {
            ADD_FAILURE() << "the about window is not up";
            return;
        }
        title = d->windowTitle();
        QTest::mouseClick(d->okButton(), Qt::LeftButton);
    });
    // A window left open fails instead of hanging.
    QTimer::singleShot(5000, &about, [&] { about.done(-1); });
    EXPECT_EQ(about.execFor(LanguageGerman), int(QDialog::Accepted));
    EXPECT_EQ(title, QStringLiteral("Info"));
    EXPECT_EQ(about.nameLabel()->text(), QStringLiteral("Vantreelmorbisco"));
    EXPECT_EQ(about.versionLabel()->text(), QStringLiteral("Version " VTM_VERSION));
    EXPECT_EQ(accessibleName(about.versionLabel()), about.versionLabel()->text());
}
