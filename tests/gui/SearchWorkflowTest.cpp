#include "ModalScript.h"

#include "gui/app/MainMenu.h"
#include "gui/app/MainWindow.h"
#include "gui/search/FindForm.h"
#include "gui/search/ValueEdits.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QToolButton>

using namespace vtm;
using namespace vtmtest;

namespace {

// A main window in English on a file of these bytes.
struct Window
{
    QTemporaryDir dir;
    MainWindow w;

    explicit Window(const QByteArray &bytes)
    {
        const QString path = dir.filePath(QStringLiteral("search.bin"));
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        f.close();
        w.state().settings.Language = LanguageEnglish;
        w.editor().ApplyLanguage();
        w.show();
        w.loadFile(path);
    }
    QByteArray bytes()
    {
        const Document &d = w.state().doc;
        QByteArray bytes(d.BufferSize(), '\0');
        d.ReadBytes(0, d.BufferSize(), reinterpret_cast<std::uint8_t *>(bytes.data()));
        return bytes;
    }
    QByteArray marks()
    {
        const Document &d = w.state().doc;
        QByteArray marks(d.BufferSize(), '\0');
        d.MarkRuns().read(0, d.BufferSize(), reinterpret_cast<std::uint8_t *>(marks.data()));
        return marks;
    }
    QString undoCaption() { return w.mainMenu()->action(MenuItem::Undo)->text(); }
};

// Empties the search string and types it into one of its views (0 hex, 2 characters).
void TypeSearch(TFindForm *form, int view, const QString &text)
{
    const auto clears =
        form->FindPanel()->findChildren<QToolButton *>(QStringLiteral("ClearButton"));
    clears.at(view)->click();
    QTest::keyClicks(QApplication::focusWidget(), text);
}

} // namespace

TEST(SearchWorkflow, FindByCharactersThenNextAndPrevious)
{
    Window t("ABCABC");
    ModalScript script({[&](QWidget *d) {
        TypeSearch(t.w.findForm(), 2, QStringLiteral("BC"));
        QTest::keyClick(d->focusWidget(), Qt::Key_Return);
    }});
    QTest::keyClick(&t.w, Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(script.done());
    EXPECT_EQ(t.w.state().Find.FindBytes, (std::vector<std::uint8_t>{'B', 'C'}));
    EXPECT_EQ(t.w.state().view.CursorOffset(), 1);
    QTest::keyClick(&t.w, Qt::Key_F3);
    EXPECT_EQ(t.w.state().view.CursorOffset(), 4);
    QTest::keyClick(&t.w, Qt::Key_F3); // no further one: a beep, the cursor stays
    EXPECT_EQ(t.w.state().view.CursorOffset(), 4);
    QTest::keyClick(&t.w, Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(t.w.state().view.CursorOffset(), 1);
}

TEST(SearchWorkflow, ReplaceAskedThenAllAndOneUndo)
{
    const QByteArray original("\x00\x01\x00\x02\x00", 5);
    Window t(original);
    TFindForm *form = t.w.findForm();

    // OK with the question: No leaves everything as it was.
    ModalScript asked({[&](QWidget *d) {
                           TypeSearch(form, 0, QStringLiteral("00"));
                           EXPECT_TRUE(form->ReplacePanel()->isVisible());
                           EXPECT_FALSE(form->MarkPanel()->isVisible());
                           QTest::keyClick(d->focusWidget(), Qt::Key_Return);
                       },
                       Click(mbNo)});
    QTest::keyClick(&t.w, Qt::Key_E, Qt::ControlModifier);
    EXPECT_TRUE(asked.done());
    EXPECT_EQ(asked.texts, QStringList{QStringLiteral("Replace?")});
    EXPECT_EQ(t.bytes(), original);
    EXPECT_FALSE(t.w.state().History.CanUndo());

    // All without questions: every 00 goes (the replacement is empty), one undo step.
    ModalScript all({[&](QWidget *) {
        form->ConfirmCB()->click();
        form->AllButton()->click();
    }});
    QTest::keyClick(&t.w, Qt::Key_E, Qt::ControlModifier);
    EXPECT_TRUE(all.done());
    EXPECT_EQ(t.bytes(), QByteArray("\x01\x02", 2));
    EXPECT_EQ(t.undoCaption(), QStringLiteral("&Undo (3 * Replace)\tCtrl+Z"));
    QTest::keyClick(&t.w, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(t.bytes(), original);
    EXPECT_FALSE(t.w.state().History.CanUndo());
}

TEST(SearchWorkflow, FindAndMarkAllInGreenFromTheMenu)
{
    Window t(QByteArray("\x00\x41\x42\x00\x41\x42\x00", 7));
    TFindForm *form = t.w.findForm();
    ModalScript script({[&](QWidget *) {
        TypeSearch(form, 2, QStringLiteral("AB"));
        EXPECT_TRUE(form->MarkPanel()->isVisible());
        form->ColorRadioButton(2)->click();
        form->ConfirmCB()->click();
        form->AllButton()->click();
    }});
    t.w.mainMenu()->action(MenuItem::FindAndMark)->trigger();
    EXPECT_TRUE(script.done());
    EXPECT_EQ(t.marks(), QByteArray("\x00\x02\x02\x00\x02\x02\x00", 7));
    EXPECT_EQ(t.undoCaption(), QStringLiteral("&Undo (4 * Mark)\tCtrl+Z"));
    EXPECT_EQ(t.w.state().view.CursorOffset(), 5);
    QTest::keyClick(&t.w, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(t.marks(), QByteArray(7, '\0'));
}
