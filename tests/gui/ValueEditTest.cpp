#include "gui/search/GotoForm.h"
#include "gui/search/InsertBytesForm.h"
#include "gui/search/ValueEdits.h"

#include "WhenModal.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <functional>

using namespace vtm;

namespace {

using vtmtest::WhenModal;

QString AccessibleValue(QWidget *w)
{
    return QAccessible::queryAccessibleInterface(w)->text(QAccessible::Value);
}

QString Text(const TValueEdit *edit)
{
    return edit->valueText();
}

} // namespace

TEST(ValueEdit, IntegerViewsFollowEachOtherAndTellScreenReaders)
{
    TGotoForm form;
    THexIntEdit *hex = form.HexEdit();
    TDecIntEdit *dec = form.DecEdit();

    // The hex view starts with "0" under the cursor, so typing overwrites it.
    QTest::keyClicks(hex, QStringLiteral("1fF"));
    EXPECT_EQ(Text(hex), QStringLiteral("1FF"));
    EXPECT_EQ(Text(dec), QStringLiteral("511"));
    EXPECT_EQ(form.GotoData().Value, 511);
    EXPECT_EQ(AccessibleValue(hex), QStringLiteral("1FF"));
    EXPECT_EQ(AccessibleValue(dec), QStringLiteral("511"));

    // A refused character changes nothing.
    QTest::keyClick(hex, Qt::Key_G);
    EXPECT_EQ(Text(hex), QStringLiteral("1FF"));

    // The view typed in keeps its leading zeros; the other shows the plain number.
    QTest::keyClick(dec, Qt::Key_End);
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(dec, Qt::Key_Backspace);
    QTest::keyClicks(dec, QStringLiteral("007"));
    EXPECT_EQ(Text(dec), QStringLiteral("007"));
    EXPECT_EQ(Text(hex), QStringLiteral("7"));
    EXPECT_EQ(AccessibleValue(hex), QStringLiteral("7"));

    // Emptying a view leaves it blank while the other reads 0.
    QTest::keyClick(hex, Qt::Key_Home);
    QTest::keyClick(hex, Qt::Key_Delete);
    EXPECT_EQ(Text(hex), QString());
    EXPECT_EQ(Text(dec), QStringLiteral("0"));

    // The program setting the value rebuilds both texts.
    form.GotoData().SetValue(255, &form);
    EXPECT_EQ(Text(hex), QStringLiteral("FF"));
    EXPECT_EQ(Text(dec), QStringLiteral("255"));
}

TEST(ValueEdit, ByteStringViewsShareOneCursor)
{
    TInsertBytesForm form;
    THexDataEdit *hex = form.FillHexEdit();
    TDecDataEdit *dec = form.FillDecEdit();
    TCharDataEdit *chr = form.FillCharEdit();
    TBytesData &data = form.FillData();

    // Overwrite the start byte 00, then append through the other views.
    QTest::keyClicks(hex, QStringLiteral("41"));
    EXPECT_EQ(data.CursorPos(), 3);
    QTest::keyClicks(dec, QStringLiteral("066"));
    QTest::keyClicks(chr, QStringLiteral("C"));
    EXPECT_EQ(data.Bytes(), (std::vector<std::uint8_t>{0x41, 0x42, 0x43}));
    EXPECT_EQ(Text(hex), QStringLiteral("41 42 43"));
    EXPECT_EQ(Text(dec), QStringLiteral("065 066 067"));
    EXPECT_EQ(Text(chr), QStringLiteral("ABC"));
    EXPECT_EQ(AccessibleValue(chr), QStringLiteral("ABC"));

    // Characters outside Windows-1252 are refused; the euro sign is byte 0x80.
    for (char16_t c : {u'\u20AC', u'\u4E00'}) {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(QChar(c)));
        QApplication::sendEvent(chr, &key);
    }
    EXPECT_EQ(data.Bytes().back(), 0x80);
    EXPECT_EQ(data.ByteCount(), 4);

    // Moving in one view moves the others; Backspace in any view removes a byte.
    QTest::keyClick(chr, Qt::Key_Home);
    QTest::keyClick(chr, Qt::Key_Right);
    EXPECT_EQ(data.CursorByte(), 1);
    QTest::keyClick(hex, Qt::Key_Backspace);
    EXPECT_EQ(Text(hex), QStringLiteral("42 43 80"));
    EXPECT_EQ(data.CursorPos(), 0);

    // A click on the second hex cell's right half puts the cursor on its low digit.
    const int w = hex->CellWidth();
    QTest::mouseClick(hex, Qt::LeftButton, {}, QPoint(w + w * 3 / 4, 2));
    EXPECT_EQ(data.CursorPos(), 4);
}

TEST(ValueEdit, LongStringScrollsToKeepTheCursorInSight)
{
    TInsertBytesForm form;
    THexDataEdit *hex = form.FillHexEdit();
    form.show();
    const int visible = hex->width() / hex->CellWidth();
    for (int i = 0; i < visible * 3; ++i)
        QTest::keyClick(hex, Qt::Key_Insert);
    QTest::keyClick(hex, Qt::Key_End);
    hex->grab();
    EXPECT_GT(hex->FirstByte(), 0);
    EXPECT_LE((form.FillData().CursorByte() - hex->FirstByte() + 1) * hex->CellWidth(),
              hex->width());
    QTest::keyClick(hex, Qt::Key_Home);
    hex->grab();
    EXPECT_EQ(hex->FirstByte(), 0);
}

TEST(ValueEdit, GotoFormAnswersToEnterAndEscape)
{
    TGotoForm form;
    std::int64_t result = -1;
    bool sawFocus = false, arrowMoved = false, blinked = false;
    WhenModal([&](QWidget *dialog) {
        sawFocus = QApplication::focusWidget() == form.HexEdit();
        blinked = form.HexEdit()->blinking();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_End);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("1F"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        arrowMoved = QApplication::focusWidget() == form.DecEdit();
        QTest::keyClick(dialog->focusWidget(), Qt::Key_Return);
    });
    EXPECT_TRUE(form.ask(GotoFormMode::Goto, LanguageEnglish, 0, &result));
    EXPECT_TRUE(sawFocus);
    EXPECT_TRUE(blinked);
    EXPECT_TRUE(arrowMoved);
    EXPECT_EQ(result, 31);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Goto"));
    EXPECT_FALSE(form.HexEdit()->blinking());
    EXPECT_FALSE(form.DecEdit()->blinking());

    // Escape cancels; the value typed stays in the fields but is not reported.
    WhenModal([&](QWidget *) {
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("7"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    });
    result = -1;
    EXPECT_FALSE(form.ask(GotoFormMode::DeleteBytes, LanguageGerman, 31, &result));
    EXPECT_EQ(result, -1);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Bytes löschen"));
    EXPECT_EQ(form.MainLabel()->text(), QStringLiteral("&Anzahl:"));
}

TEST(ValueEdit, InsertFormEnablesOkOnlyForCountAndPattern)
{
    TInsertBytesForm form;
    ByteRunMemory memory;
    bool okAtStart = true, okAfterCount = false, okAfterClear = true, stillOpen = false;
    WhenModal([&](QWidget *dialog) {
        okAtStart = form.OKButton()->isEnabled();
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("5"));
        okAfterCount = form.OKButton()->isEnabled();
        // The clear button beside the character view empties the pattern.
        const auto buttons = dialog->findChildren<QToolButton *>();
        buttons.back()->click();
        okAfterClear = form.OKButton()->isEnabled();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        stillOpen = dialog->isVisible();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    });
    EXPECT_FALSE(form.ask(false, LanguageEnglish, memory));
    EXPECT_FALSE(okAtStart);
    EXPECT_TRUE(okAfterCount);
    EXPECT_FALSE(okAfterClear);
    EXPECT_TRUE(stillOpen);
    // Cancel still keeps what was typed for next time.
    EXPECT_EQ(memory.InsertCount, 5);
    EXPECT_TRUE(memory.InsertPattern.empty());

    memory.InsertPattern = {0xAB, 0xCD};
    WhenModal([&](QWidget *) { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return); });
    EXPECT_TRUE(form.ask(true, LanguageGerman, memory));
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Bytes anfügen"));
    EXPECT_EQ(Text(form.FillHexEdit()), QStringLiteral("AB CD"));
    EXPECT_EQ(memory.InsertCount, 5);
}
