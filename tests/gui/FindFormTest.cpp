#include "gui/search/FindForm.h"
#include "gui/search/ValueEdits.h"

#include "document/Message.h"

#include "WhenModal.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <functional>

using namespace vtm;

namespace {

using vtmtest::WhenModal;

void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
}

} // namespace

TEST(FindForm, EachModeShowsItsPanelsTextsAndButtons)
{
    TFindForm form;
    form.show();

    form.prepare(FindFormMode::Find, LanguageEnglish);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Find"));
    EXPECT_FALSE(form.ReplacePanel()->isVisible());
    EXPECT_FALSE(form.MarkPanel()->isVisible());
    EXPECT_FALSE(form.ConfirmCB()->isVisible());
    EXPECT_FALSE(form.AllButton()->isVisible());
    EXPECT_EQ(form.FLabel()->text(), QStringLiteral("To find:"));
    const int findHeight = form.height();
    // Two buttons centred as a pair.
    const int mid = form.width() / 2;
    EXPECT_LT(form.OKButton()->geometry().right(), mid);
    EXPECT_GT(form.CancelButton()->x(), mid);

    form.prepare(FindFormMode::Replace, LanguageGerman);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Ersetzen"));
    EXPECT_TRUE(form.ReplacePanel()->isVisible());
    EXPECT_FALSE(form.MarkPanel()->isVisible());
    EXPECT_TRUE(form.ConfirmCB()->isVisible());
    EXPECT_EQ(form.ConfirmCB()->text(), QStringLiteral("Mit &Bestätigung"));
    EXPECT_EQ(form.AllButton()->text(), QStringLiteral("&Alles ersetzen"));
    EXPECT_GT(form.height(), findHeight);
    // The all button sits in the middle, clear of its neighbours.
    const QRect all = form.AllButton()->geometry();
    EXPECT_NEAR(all.center().x(), form.width() / 2, 1);
    EXPECT_LT(form.OKButton()->geometry().right(), all.left());
    EXPECT_GT(form.CancelButton()->x(), all.right());
    EXPECT_GE(form.OKButton()->x(), 0);
    EXPECT_LE(form.CancelButton()->geometry().right(), form.width());

    form.prepare(FindFormMode::FindAndMark, LanguageEnglish);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Find and mark"));
    EXPECT_FALSE(form.ReplacePanel()->isVisible());
    EXPECT_TRUE(form.MarkPanel()->isVisible());
    EXPECT_EQ(form.AllButton()->text(), QStringLiteral("Mark &all"));
    EXPECT_LT(form.height(), form.ReplacePanel()->sizeHint().height() + findHeight);

    // A press on a swatch picks its colour.
    QTest::mouseClick(form.ColorShape(5), Qt::LeftButton);
    EXPECT_TRUE(form.ColorRadioButton(5)->isChecked());
    EXPECT_FALSE(form.ColorRadioButton(1)->isChecked());
    form.hide();
}

TEST(FindForm, OkNeedsASearchStringAndEnterConfirms)
{
    TFindForm form;
    FindState state;
    bool okAtStart = false, okAfterClear = true, allAfterClear = true, stillOpen = false;
    bool okAfterTyping = false, focusInHex = false;
    WhenModal([&](QWidget *dialog) {
        focusInHex = QApplication::focusWidget() == form.HexFEdit();
        okAtStart = form.OKButton()->isEnabled();
        // The first clear button empties the search string.
        dialog->findChildren<QToolButton *>(QStringLiteral("ClearButton")).front()->click();
        okAfterClear = form.OKButton()->isEnabled();
        allAfterClear = form.AllButton()->isEnabled();
        Press(Qt::Key_Return);
        stillOpen = dialog->isVisible();
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("4142"));
        okAfterTyping = form.OKButton()->isEnabled();
        Press(Qt::Key_Return);
    });
    int result = 0;
    EXPECT_TRUE(form.ask(FindFormMode::Replace, LanguageEnglish, state, &result));
    EXPECT_TRUE(focusInHex);
    EXPECT_TRUE(okAtStart);
    EXPECT_FALSE(okAfterClear);
    EXPECT_FALSE(allAfterClear);
    EXPECT_TRUE(stillOpen);
    EXPECT_TRUE(okAfterTyping);
    EXPECT_EQ(result, mrOk);
    EXPECT_TRUE(state.SearchAccepted);
    EXPECT_EQ(state.FindBytes, (std::vector<std::uint8_t>{0x41, 0x42}));
}

TEST(FindForm, AllButtonAndKeyboardOptionsPersistInTheState)
{
    TFindForm form;
    FindState state;
    state.FindBytes = {0x10};
    WhenModal([&](QWidget *) {
        // Every option answers to its mnemonic.
        Press(Qt::Key_S, Qt::AltModifier);
        Press(Qt::Key_N, Qt::AltModifier);
        Press(Qt::Key_B, Qt::AltModifier);
        Press(Qt::Key_A, Qt::AltModifier);
    });
    int result = 0;
    EXPECT_TRUE(form.ask(FindFormMode::FindAndMark, LanguageEnglish, state, &result));
    EXPECT_EQ(result, FindResultAll);
    EXPECT_FALSE(state.CaseSensitive);
    EXPECT_FALSE(state.BeginAtCursor);
    EXPECT_TRUE(state.Backward);
    EXPECT_TRUE(state.SearchAccepted);
    EXPECT_EQ(state.FindBytes, std::vector<std::uint8_t>{0x10});

    // Cancel keeps what was typed but withdraws the confirmed search.
    state.MarkColor = 4;
    WhenModal([&](QWidget *) {
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("FF"));
        Press(Qt::Key_Escape);
    });
    EXPECT_FALSE(form.ask(FindFormMode::Find, LanguageGerman, state, &result));
    EXPECT_EQ(result, mrCancel);
    EXPECT_FALSE(state.SearchAccepted);
    EXPECT_EQ(state.FindBytes, std::vector<std::uint8_t>{0xFF});
    EXPECT_EQ(state.MarkColor, 4);
    EXPECT_FALSE(state.CaseSensitive);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Suchen"));
}
