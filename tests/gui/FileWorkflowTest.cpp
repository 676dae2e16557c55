#include "app/Settings.h"
#include "gui/app/MainMenu.h"
#include "gui/analysis/InfoStatisticForm.h"
#include "gui/app/ClipboardForm.h"
#include "gui/app/MainWindow.h"
#include "gui/app/MessageDialog.h"
#include "gui/platform/FileNames.h"
#include "gui/search/GotoForm.h"
#include "gui/search/InsertBytesForm.h"
#include "gui/search/ValueEdits.h"

#include "ModalScript.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <deque>
#include <functional>

using namespace vtm;
using namespace vtmtest;

namespace {

QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void WriteAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QStringList Captions(MainWindow &w)
{
    QStringList all;
    for (QAction *top : w.menuBar()->actions()) {
        all << top->text();
        if (QMenu *m = top->menu())
            for (QAction *a : m->actions())
                all << a->text();
    }
    return all;
}

} // namespace

TEST(FileWorkflow, OpenEditSaveWithBackupAndRecentFiles)
{
    QTemporaryDir dir;
    const QString a = dir.filePath(QStringLiteral("a.bin"));
    const QString other = dir.filePath(QStringLiteral("other.bin"));
    WriteAll(a, QByteArray("\x01\x02\x03", 3));
    MainWindow w;
    w.state().settings.Language = LanguageEnglish;
    w.editor().ApplyLanguage();
    w.show();

    // Open through the menu and its file dialog.
    {
        ModalScript script({Choose(a)});
        w.mainMenu()->action(MenuItem::Open)->trigger();
        EXPECT_TRUE(script.done());
    }
    EXPECT_EQ(w.state().doc.BufferSize(), 3);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Vantreelmorbisco [") + a + QStringLiteral("]"));
    EXPECT_EQ(w.mainMenu()->recentAction(0)->text(), QStringLiteral("&1: ") + a);
    EXPECT_TRUE(w.mainMenu()->recentAction(0)->isVisible());
    EXPECT_FALSE(w.mainMenu()->recentAction(1)->isVisible());

    QTest::keyClicks(&w, QStringLiteral("ff"));
    EXPECT_EQ(w.mainMenu()->action(MenuItem::Undo)->text(),
              QStringLiteral("&Undo (Change value)\tCtrl+Z"));

    // Enter answers the overwrite question with No and the save dialog comes; cancelled,
    // nothing is written.
    {
        ModalScript script({Press(Qt::Key_Return), Press(Qt::Key_Escape)});
        QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier);
        EXPECT_TRUE(script.done());
        ASSERT_EQ(script.texts.size(), 1);
        EXPECT_TRUE(script.texts[0].startsWith(QStringLiteral("File ") + a));
    }
    EXPECT_EQ(ReadAll(a), QByteArray("\x01\x02\x03", 3));

    // Yes: written, the old file kept as the backup.
    {
        ModalScript script({Click(mbYes)});
        QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier);
        EXPECT_TRUE(script.done());
    }
    EXPECT_EQ(ReadAll(a), QByteArray("\xFF\x02\x03", 3));
    EXPECT_EQ(ReadAll(dir.filePath(QStringLiteral("a.~bi"))), QByteArray("\x01\x02\x03", 3));
    EXPECT_FALSE(w.state().doc.isModified());

    // Another file, then back through the recent list; a change asks before it goes.
    WriteAll(other, QByteArray(40, 'x'));
    w.loadFile(other);
    EXPECT_EQ(w.mainMenu()->recentAction(0)->text(), QStringLiteral("&1: ") + other);
    EXPECT_EQ(w.mainMenu()->recentAction(1)->text(), QStringLiteral("&2: ") + a);
    QTest::keyClick(&w, Qt::Key_Delete);
    {
        ModalScript script({Click(mbCancel)});
        w.mainMenu()->recentAction(1)->trigger();
        EXPECT_TRUE(script.done());
        EXPECT_EQ(script.texts.value(0),
                  other + QStringLiteral(" has been changed. Save changes?"));
    }
    EXPECT_EQ(w.state().doc.BufferSize(), 39);
    {
        ModalScript script({Click(mbNo)});
        w.mainMenu()->recentAction(1)->trigger();
        EXPECT_TRUE(script.done());
    }
    EXPECT_EQ(w.state().doc.BufferSize(), 3);
    EXPECT_EQ(ReadAll(other), QByteArray(40, 'x'));

    // New: every command that needs bytes is disabled, appending stays.
    w.mainMenu()->action(MenuItem::New)->trigger();
    EXPECT_FALSE(w.mainMenu()->action(MenuItem::Save)->isEnabled());
    EXPECT_FALSE(w.mainMenu()->action(MenuItem::DeleteByte)->isEnabled());
    EXPECT_TRUE(w.mainMenu()->action(MenuItem::AppendByte)->isEnabled());
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Vantreelmorbisco"));
}

TEST(FileWorkflow, LanguageSwitchRestoresEveryCaption)
{
    MainWindow w;
    w.state().settings.Language = LanguageEnglish;
    w.editor().ApplyLanguage();
    const QStringList english = Captions(w);
    EXPECT_TRUE(english.contains(QStringLiteral("&Open...\tCtrl+O")));
    EXPECT_TRUE(w.mainMenu()->action(MenuItem::English)->isChecked());

    w.mainMenu()->action(MenuItem::German)->trigger();
    const QStringList german = Captions(w);
    EXPECT_TRUE(german.contains(QStringLiteral("&Öffnen...\tStrg+O")));
    EXPECT_TRUE(german.contains(QStringLiteral("Byte &anfügen\tStrg+Einfg")));
    EXPECT_TRUE(german.contains(QStringLiteral("&Rückgängig \tStrg+Z")));
    EXPECT_TRUE(w.mainMenu()->action(MenuItem::German)->isChecked());
    EXPECT_FALSE(w.mainMenu()->action(MenuItem::English)->isChecked());

    w.mainMenu()->action(MenuItem::English)->trigger();
    EXPECT_EQ(Captions(w), english);
    w.mainMenu()->action(MenuItem::German)->trigger();
    EXPECT_EQ(Captions(w), german);
}

TEST(FileWorkflow, SettingsSurviveARestart)
{
    QTemporaryDir dir;
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path()));
    const QString file = dir.filePath(QStringLiteral("data.bin"));
    WriteAll(file, QByteArray(50, 'a'));
    {
        const Settings stored = LoadSettingsFromStore(LanguageEnglish, std::string());
        MainWindow w;
        w.applySettings(stored);
        w.placeWindow(stored, 0x00100008, true);
        w.loadFile(file);
        w.mainMenu()->action(MenuItem::German)->trigger();
        w.mainMenu()->action(MenuItem::Dec)->trigger();
        w.mainMenu()->action(MenuItem::CreateBackup)->trigger();
        w.move(40, 50);
        SaveSettingsToStore(w.collectSettings(stored, 0x00100008));
    }
    const Settings stored = LoadSettingsFromStore(LanguageEnglish, std::string());
    MainWindow w;
    w.applySettings(stored);
    w.placeWindow(stored, 0x00100008, true);
    qputenv("XDG_CONFIG_HOME", oldConfig);

    EXPECT_EQ(w.mainMenu()->action(MenuItem::Open)->text(), QStringLiteral("&Öffnen...\tStrg+O"));
    EXPECT_TRUE(w.mainMenu()->action(MenuItem::Dec)->isChecked());
    EXPECT_FALSE(w.mainMenu()->action(MenuItem::CreateBackup)->isChecked());
    EXPECT_EQ(w.mainMenu()->recentAction(0)->text(), QStringLiteral("&1: ") + file);
    EXPECT_EQ(w.state().view.BytesPerRow, 10);
    EXPECT_EQ(w.pos(), QPoint(40, 50));
}

TEST(FileWorkflow, MarksByKeyMenuAndMarksFile)
{
    QTemporaryDir dir;
    const QString data = dir.filePath(QStringLiteral("data.bin"));
    const QString marks = dir.filePath(QStringLiteral("colours.mrk"));
    WriteAll(data, QByteArray(64, 'z'));
    MainWindow w;
    w.state().settings.Language = LanguageEnglish;
    w.editor().ApplyLanguage();
    w.show();
    w.loadFile(data);
    const auto mark = [&](int i) { return int(w.state().doc.MarkAt(i)); };

    QTest::keyClick(&w, Qt::Key_R, Qt::ControlModifier);
    QTest::keyClick(&w, Qt::Key_Right);
    QTest::keyClick(&w, Qt::Key_Right);
    QTest::keyClick(&w, Qt::Key_C, Qt::ControlModifier); // cyan, no copying
    QTest::keyClick(&w, Qt::Key_End);
    w.mainMenu()->markAction(6)->trigger();
    EXPECT_EQ(mark(0), 1);
    EXPECT_EQ(mark(1), 4);
    EXPECT_EQ(mark(63), 6);
    EXPECT_EQ(w.mainMenu()->markAction(1)->text(), QStringLiteral("Red\tCtrl+R"));
    EXPECT_TRUE(w.mainMenu()->popup()->actions().contains(w.mainMenu()->markAction(1)));

    QTest::keyClick(&w, Qt::Key_Home);
    QTest::keyClick(&w, Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(w.state().view.CursorOffset(), 1);
    QTest::keyClick(&w, Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(w.state().view.CursorOffset(), 63);
    w.mainMenu()->gotoColourAction(false, 1)->trigger();
    EXPECT_EQ(w.state().view.CursorOffset(), 0);

    // Save the marks, then unmark all and load them back as one step.
    {
        ModalScript script({Choose(marks)});
        w.mainMenu()->action(MenuItem::MarksSaveAs)->trigger();
        EXPECT_TRUE(script.done());
    }
    // Red, cyan, 61 unmarked bytes as 32 + 29, yellow.
    EXPECT_EQ(ReadAll(marks), QByteArray("Vantreelmorbisco Marks V1\x01\x04\xF8\xE0\x06", 30));
    w.mainMenu()->action(MenuItem::UnmarkAll)->trigger();
    EXPECT_EQ(w.mainMenu()->action(MenuItem::Undo)->text(),
              QStringLiteral("&Undo (3 * Unmark)\tCtrl+Z"));
    EXPECT_EQ(mark(63), 0);
    {
        ModalScript script({Choose(marks)});
        w.mainMenu()->action(MenuItem::MarksOpen)->trigger();
        EXPECT_TRUE(script.done());
    }
    EXPECT_EQ(mark(1), 4);
    EXPECT_EQ(mark(63), 6);
    EXPECT_EQ(w.mainMenu()->action(MenuItem::Undo)->text(),
              QStringLiteral("&Undo (3 * Load mark)\tCtrl+Z"));

    // Saving over it asks first (Enter is No, then the dialog is cancelled), then backs up.
    {
        ModalScript script({Choose(marks), Press(Qt::Key_Return), Press(Qt::Key_Escape)});
        w.mainMenu()->action(MenuItem::MarksSaveAs)->trigger();
        EXPECT_TRUE(script.done());
    }
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("colours.~mr"))));
    {
        ModalScript script({Choose(marks), Click(mbYes)});
        w.mainMenu()->action(MenuItem::MarksSaveAs)->trigger();
        EXPECT_TRUE(script.done());
    }
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("colours.~mr"))));
}

TEST(FileWorkflow, GotoAndInsertBytesThroughTheirDialogs)
{
    QTemporaryDir dir;
    const QString data = dir.filePath(QStringLiteral("runs.bin"));
    WriteAll(data, QByteArray(100, 'q'));
    MainWindow w;
    w.state().settings.Language = LanguageEnglish;
    w.editor().ApplyLanguage();
    w.show();
    w.loadFile(data);
    w.state().doc.SetMark(0, 2);
    w.state().doc.SetMark(1, 3);

    // Ctrl+T; the hex view's digits show in the decimal view; Enter goes there.
    QString decimal;
    {
        ModalScript script({[&](QWidget *d) {
            QTest::keyClicks(d->focusWidget(), QStringLiteral("1f"));
            decimal = w.gotoForm()->DecEdit()->valueText();
            QTest::keyClick(d->focusWidget(), Qt::Key_Return);
        }});
        QTest::keyClick(&w, Qt::Key_T, Qt::ControlModifier);
        EXPECT_TRUE(script.done());
    }
    EXPECT_TRUE(decimal.endsWith(QStringLiteral("31")));
    EXPECT_EQ(w.state().view.CursorOffset(), 31);
    {
        ModalScript script({Press(Qt::Key_Escape)});
        QTest::keyClick(&w, Qt::Key_T, Qt::ControlModifier);
        EXPECT_TRUE(script.done());
    }
    EXPECT_EQ(w.state().view.CursorOffset(), 31);

    // 5 bytes of "12 34" in front of byte 0: the marks move along, one Undo removes them.
    QTest::keyClick(&w, Qt::Key_Home);
    {
        ModalScript script({[&](QWidget *d) {
            QTest::keyClicks(w.insertBytesForm()->CountHexEdit(), QStringLiteral("5"));
            QTest::keyClick(w.insertBytesForm()->FillHexEdit(), Qt::Key_Delete);
            QTest::keyClicks(w.insertBytesForm()->FillHexEdit(), QStringLiteral("1234"));
            QTest::keyClick(d->focusWidget(), Qt::Key_Return);
        }});
        QTest::keyClick(&w, Qt::Key_Insert, Qt::ShiftModifier);
        EXPECT_TRUE(script.done());
    }
    const EditorState &s = w.state();
    ASSERT_EQ(s.doc.BufferSize(), 105);
    QByteArray head(6, '\0');
    s.doc.ReadBytes(0, 6, reinterpret_cast<std::uint8_t *>(head.data()));
    EXPECT_EQ(head, QByteArray("\x12\x34\x12\x34\x12q", 6));
    EXPECT_EQ(s.doc.MarkAt(4), 0);
    EXPECT_EQ(s.doc.MarkAt(5), 2);
    EXPECT_EQ(s.doc.MarkAt(6), 3);
    EXPECT_EQ(w.mainMenu()->action(MenuItem::Undo)->text(),
              QStringLiteral("&Undo (Insert bytes)\tCtrl+Z"));
    QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(s.doc.BufferSize(), 100);
    EXPECT_EQ(s.doc.MarkAt(0), 2);
}

TEST(FileWorkflow, OpenClipboardThroughTheChooser)
{
    MainWindow w;
    w.state().settings.Language = LanguageEnglish;
    w.editor().ApplyLanguage();
    w.show();
    const QByteArray bytes("\x00\x01\xFEpayload", 10);
    auto *data = new QMimeData;
    data->setData(QStringLiteral("application/x-vtm-test"), bytes);
    data->setText(QStringLiteral("plain"));
    QGuiApplication::clipboard()->setMimeData(data);
    QApplication::processEvents();
    QAction *item = w.mainMenu()->action(MenuItem::LoadFromClipboard);
    ASSERT_TRUE(item->isEnabled());

    QStringList lines;
    QString caption;
    ModalScript script({[&](QWidget *d) {
        QListWidget *list = w.clipboardForm()->ListBox();
        caption = d->windowTitle();
        for (int i = 0; i < list->count(); ++i) {
            lines << list->item(i)->text();
            if (list->item(i)->text().contains(QStringLiteral("application/x-vtm-test")))
                list->setCurrentRow(i);
        }
        QTest::keyClick(list, Qt::Key_Return);
    }});
    item->trigger();
    EXPECT_TRUE(script.done());
    EXPECT_EQ(caption, QStringLiteral("Open Clipboard"));
    EXPECT_TRUE(
        lines.contains(QStringLiteral("         1 $00000001          5 $00000005 (CF_TEXT)")))
        << lines.join(QLatin1Char('\n')).toStdString();
    const Document &doc = w.state().doc;
    QByteArray held(doc.BufferSize(), '\0');
    doc.ReadBytes(0, doc.BufferSize(), reinterpret_cast<std::uint8_t *>(held.data()));
    EXPECT_EQ(held, bytes);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Vantreelmorbisco"));

    QGuiApplication::clipboard()->clear();
    QApplication::processEvents();
    EXPECT_FALSE(item->isEnabled());
}

TEST(FileWorkflow, StatisticsByKeyAndCompareFromTheMenu)
{
    QTemporaryDir dir;
    const QString data = dir.filePath(QStringLiteral("stat.bin"));
    const QString other = dir.filePath(QStringLiteral("other.bin"));
    WriteAll(data, QByteArray("AAB", 3));
    WriteAll(other, QByteArray("AXB", 3));
    MainWindow w;
    w.state().settings.Language = LanguageEnglish;
    w.editor().ApplyLanguage();
    w.show();
    w.loadFile(data);

    // Ctrl+I: the window lists the file and the counts; Escape closes it.
    QStringList lines;
    {
        ModalScript script({[&](QWidget *d) {
            auto *form = qobject_cast<TInfoStatisticForm *>(d);
            ASSERT_NE(form, nullptr);
            for (int i = 0; i < form->ListBox()->count(); ++i)
                lines << form->ListBox()->item(i)->text();
            QTest::keyClick(form->ListBox(), Qt::Key_Escape);
        }});
        QTest::keyClick(&w, Qt::Key_I, Qt::ControlModifier);
        EXPECT_TRUE(script.done());
    }
    ASSERT_GT(lines.size(), 3);
    EXPECT_EQ(lines[1], QStringLiteral(" File: ") + data);
    EXPECT_EQ(lines[3], QStringLiteral(" Number of bytes: 3"));
    EXPECT_TRUE(lines.contains(QStringLiteral(" Unmarked:       3")));

    // Compare with: the one differing byte goes red in one undo step.
    ModalScript script({Choose(other), Click(mbYes)});
    w.mainMenu()->action(MenuItem::Compare)->trigger();
    EXPECT_TRUE(script.done());
    EXPECT_TRUE(script.texts.value(0).contains(QStringLiteral("number of different bytes: 1")));
    const Document &doc = w.state().doc;
    EXPECT_EQ(doc.MarkAt(0), 0);
    EXPECT_EQ(doc.MarkAt(1), 1);
    EXPECT_EQ(doc.MarkAt(2), 0);
    QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(doc.MarkedCount(), 0);
}

// A file name is bytes: one that is no text in any encoding opens, saves with its backup,
// shows with replacement characters, and returns from the recent list after a restart as
// itself; so does a dropped one, and one picked in a file dialog that shows it as text.
TEST(FileWorkflow, NamesThatAreNoTextWorkAsThemselves)
{
    QTemporaryDir dir;
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path()));
    const std::string folder = QFile::encodeName(dir.path()).toStdString();
    const std::string name = folder + "/caf\xe9\xff.bin";
    const auto read = [](const std::string &path) {
        std::string bytes;
        if (std::FILE *in = std::fopen(path.c_str(), "rb")) {
            for (int c; (c = std::fgetc(in)) != EOF;)
                bytes += char(c);
            std::fclose(in);
        }
        return bytes;
    };
    if (std::FILE *out = std::fopen(name.c_str(), "wb")) {
        std::fputs("abcd", out);
        std::fclose(out);
    }
    {
        const Settings stored = LoadSettingsFromStore(LanguageEnglish, std::string());
        MainWindow w;
        w.applySettings(stored);
        w.state().settings.CreateBackUp = true;
        w.state().settings.OverwriteWarning = false;
        w.loadFile(name);
        ASSERT_EQ(w.state().OpenName, name);
        EXPECT_EQ(w.state().doc.BufferSize(), 4);
        EXPECT_EQ(w.windowTitle(), QStringLiteral("Vantreelmorbisco [") + dir.path()
                                       + QString::fromUtf8("/caf\uFFFD\uFFFD.bin]"));
        w.editor().FormKeyPress(U'4');
        w.editor().FormKeyPress(U'1');
        ASSERT_TRUE(w.editor().files().SaveToFile(name, false));
        EXPECT_EQ(read(name), "Abcd");
        EXPECT_EQ(read(folder + "/caf\xe9\xff.~bi"), "abcd");
        SaveSettingsToStore(w.collectSettings(stored, 0x00100008));
    }
    const Settings stored = LoadSettingsFromStore(LanguageEnglish, std::string());
    qputenv("XDG_CONFIG_HOME", oldConfig);
    EXPECT_EQ(stored.File[0], name);
    MainWindow w;
    w.applySettings(stored);
    w.mainMenu()->recentAction(0)->trigger();
    EXPECT_EQ(w.state().OpenName, name);
    EXPECT_EQ(w.state().doc.BufferSize(), 4);

    // Dropped: the URL list keeps the bytes as %XX.
    QMimeData drop;
    drop.setData(QStringLiteral("text/uri-list"),
                 QByteArray("file://") + QByteArray::fromStdString(name).toPercentEncoding("/")
                     + "\r\n");
    EXPECT_EQ(DroppedFileName(&drop), name);
    // Picked in a dialog, which only has the text: the one entry shown so is found.
    EXPECT_EQ(NameBytes(QFile::decodeName(QByteArray::fromStdString(name))), name);
    EXPECT_EQ(NameBytes(dir.path() + QStringLiteral("/new.bin")), folder + "/new.bin");
}

// The checksum dialog offers the remembered choice, computes what is ticked, and the result
// window lists readable values and copies them.
TEST(FileWorkflow, ChecksumsDialogAndResults)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("abc.bin"));
    WriteAll(file, QByteArray("abc"));
    MainWindow w;
    w.state().settings.Language = LanguageEnglish;
    w.editor().ApplyLanguage();
    w.show();
    w.loadFile(file);
    QStringList shown;
    ModalScript script({
        [](QWidget *dialog) {
            const auto boxes = dialog->findChildren<QCheckBox *>();
            ASSERT_EQ(boxes.size(), 9);
            EXPECT_TRUE(boxes[0]->isChecked()); // CRC-32
            EXPECT_TRUE(boxes[4]->isChecked()); // SHA-256
            boxes[4]->setChecked(false);
            boxes[2]->setChecked(true); // MD5
            for (QPushButton *b : dialog->findChildren<QPushButton *>())
                if (b->text() == QStringLiteral("Compute"))
                    b->click();
        },
        [&](QWidget *dialog) {
            auto *list = dialog->findChild<QTreeWidget *>();
            ASSERT_NE(list, nullptr);
            for (int i = 0; i < list->topLevelItemCount(); ++i)
                shown << list->topLevelItem(i)->text(0) + QStringLiteral(" ")
                             + list->topLevelItem(i)->text(1);
            for (QPushButton *b : dialog->findChildren<QPushButton *>())
                if (b->text() == QStringLiteral("Copy"))
                    b->click();
            static_cast<QDialog *>(dialog)->reject();
        },
    });
    w.mainMenu()->action(MenuItem::Checksums)->trigger();
    EXPECT_TRUE(script.done());
    EXPECT_EQ(shown, QStringList({QStringLiteral("CRC-32 352441c2"),
                                  QStringLiteral("MD5 900150983cd24fb0d6963f7d28e17f72")}));
    EXPECT_EQ(QApplication::clipboard()->text(),
              QStringLiteral("CRC-32: 352441c2\nMD5: 900150983cd24fb0d6963f7d28e17f72\n"));
    EXPECT_EQ(w.state().settings.Checksums, 0x5);
    EXPECT_EQ(w.mainMenu()->action(MenuItem::Checksums)->text(),
              QStringLiteral("C&hecksums...\tShift+Ctrl+I"));
}
