#include "gui/analysis/InfoStatisticForm.h"

#include "analysis/Statistics.h"
#include "app/EditorState.h"

#include "WhenModal.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QFontInfo>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTest>

using namespace vtm;
using vtmtest::WhenModal;

namespace {
struct Seen
{
    QStringList lines, accessible;
    QString title;
    QRect geometry, screen;
    QRect okButton;
    int panelWidth = 0, panelHeight = 0, itemHeight = 0;
    bool fixedPitch = false;
    bool ran = false;
};

// Reads the window while it is up, then closes it with key.
void ReadThenPress(Seen *seen, Qt::Key key)
{
    WhenModal([seen, key](QWidget *modal) {
        auto *form = qobject_cast<TInfoStatisticForm *>(modal);
        ASSERT_NE(form, nullptr);
        seen->ran = true;
        seen->title = form->windowTitle();
        seen->geometry = form->geometry();
        seen->screen = form->screen()->geometry();
        seen->okButton = form->OKButton()->geometry();
        seen->panelWidth = form->Panel1()->width();
        seen->panelHeight = form->Panel1()->height();
        QListWidget *list = form->ListBox();
        seen->itemHeight = list->visualItemRect(list->item(0)).height();
        seen->fixedPitch = QFontInfo(list->font()).fixedPitch();
        for (int i = 0; i < list->count(); ++i)
            seen->lines << list->item(i)->text();
        if (QAccessibleInterface *a = QAccessible::queryAccessibleInterface(list))
            for (int i = 0; i < a->childCount(); ++i)
                if (QAccessibleInterface *c = a->child(i))
                    seen->accessible << c->text(QAccessible::Name);
        QTest::keyClick(QApplication::focusWidget(), key);
    });
}
} // namespace

TEST(InfoStatisticForm, ShowsTheLinesAndClosesWithEnterOrEscape)
{
    EditorState state;
    const std::uint8_t bytes[] = {65, 65, 0, 200};
    state.doc.loadBytes(bytes, 4);
    state.doc.SetMark(2, 5);
    state.OpenName = "/data/probe.bin";
    state.settings.Language = LanguageEnglish;

    TInfoStatisticForm form;
    Seen seen;
    ReadThenPress(&seen, Qt::Key_Escape);
    form.showStatistics(state);
    ASSERT_TRUE(seen.ran);
    EXPECT_EQ(form.result(), QDialog::Accepted); // Escape closes with OK
    EXPECT_EQ(form.ListBox()->count(), 0);       // emptied once closed

    EXPECT_EQ(seen.title, QStringLiteral("Info/Statistic"));
    ASSERT_EQ(seen.lines.size(), 276);
    EXPECT_EQ(seen.lines[1], QStringLiteral(" File: /data/probe.bin"));
    EXPECT_EQ(seen.lines[2], QStringLiteral(" Modified: No"));
    EXPECT_EQ(seen.lines[12], QStringLiteral(" Magenta:        1"));
    EXPECT_EQ(seen.lines[19 + 65], QStringLiteral("  65  41    A  01000001        2  50.00%   ")
                                       + QString(20, QChar(0x2588)));
    EXPECT_EQ(seen.lines[19 + 200].right(10), QString(10, QChar(0x2588)));
    // Every line can be read by a screen reader.
    EXPECT_EQ(seen.accessible, seen.lines);
    EXPECT_EQ(seen.itemHeight, 16);
    EXPECT_TRUE(seen.fixedPitch);

    const QRect &s = seen.screen;
    EXPECT_EQ(seen.geometry, QRect(s.x() + s.width() / 8, s.y() + s.height() / 8, s.width() * 6 / 8,
                                   s.height() * 6 / 8));
    EXPECT_EQ(seen.panelHeight, 41);
    EXPECT_LE(std::abs(seen.okButton.center().x() - seen.panelWidth / 2), 1);

    // Again in German, closed with Enter.
    state.settings.Language = LanguageGerman;
    Seen again;
    ReadThenPress(&again, Qt::Key_Return);
    form.showStatistics(state);
    ASSERT_TRUE(again.ran);
    EXPECT_EQ(form.result(), QDialog::Accepted);
    ASSERT_EQ(again.lines.size(), 276);
    EXPECT_EQ(again.lines[3], QStringLiteral(" Anzahl Bytes: 4"));
    EXPECT_EQ(again.title, QStringLiteral("Info/Statistic"));
}

TEST(InfoStatisticForm, EmptyDocumentShowsNothing)
{
    EditorState state;
    TInfoStatisticForm form;
    form.showStatistics(state); // would hang if it showed the window
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.ListBox()->count(), 0);
}
