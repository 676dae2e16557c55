#include "app/MessageDlg.h"
#include "app/Texts.h"

#include <gtest/gtest.h>

using namespace vtm;

namespace {

// 7 pixels wide on average (the remainder of 51 is dropped) and 15 high: every unit
// that is not a whole number of pixels has to be rounded.
constexpr int kLettersWidth = 52 * 7 + 51;
constexpr int kLettersHeight = 15;

} // namespace

TEST(MessageDlg, UnitsRoundToTheNearestPixel)
{
    const MessageUnits p = MessageDlgUnits(kLettersWidth, kLettersHeight, MessageVariant::Plain);
    EXPECT_EQ(p.horzMargin, 14);
    EXPECT_EQ(p.vertMargin, 15);
    EXPECT_EQ(p.horzSpacing, 18);  // 17.5
    EXPECT_EQ(p.vertSpacing, 19);  // 18.75
    EXPECT_EQ(p.buttonWidth, 88);  // 87.5
    EXPECT_EQ(p.buttonHeight, 26); // 26.25
    EXPECT_EQ(p.buttonSpacing, 7);

    const MessageUnits d =
        MessageDlgUnits(kLettersWidth, kLettersHeight, MessageVariant::WithDefault);
    EXPECT_EQ(d.buttonWidth, 109); // 108.5
    EXPECT_EQ(d.buttonHeight, 30);
    EXPECT_EQ(d.buttonSpacing, 11); // 10.5
}

TEST(MessageDlg, Layout)
{
    const MessageUnits u = MessageDlgUnits(kLettersWidth, kLettersHeight, MessageVariant::Plain);

    // A short line beside the icon: the block is icon high, the three buttons are wider.
    const MessageLayout l = LayoutMessageDlg(u, 100, 10, true, 3);
    EXPECT_EQ(l.icon, (MessageRect{14, 15, 32, 32}));
    EXPECT_EQ(l.text, (MessageRect{14 + 32 + 18, 15, 100, 10}));
    EXPECT_EQ(l.clientWidth, 3 * 88 + 2 * 7 + 2 * 14);
    EXPECT_EQ(l.clientHeight, 32 + 19 + 26 + 2 * 15);
    ASSERT_EQ(l.buttons.size(), 3u);
    EXPECT_EQ(l.buttons[0], (MessageRect{14, 32 + 15 + 19, 88, 26}));
    EXPECT_EQ(l.buttons[2].x, 14 + 2 * (88 + 7));

    // A long text without icon: the text decides, the single button is centred under it.
    const MessageLayout t = LayoutMessageDlg(u, 401, 90, false, 1);
    EXPECT_EQ(t.text, (MessageRect{14, 15, 401, 90}));
    EXPECT_EQ(t.clientWidth, 401 + 2 * 14);
    EXPECT_EQ(t.clientHeight, 90 + 19 + 26 + 2 * 15);
    ASSERT_EQ(t.buttons.size(), 1u);
    EXPECT_EQ(t.buttons[0].x, (429 - 88) / 2);
}

TEST(MessageDlg, ButtonsInBothLanguages)
{
    EXPECT_EQ(MessageButtonList(139), (std::vector<unsigned>{mbYes, mbNo, mbCancel, mbAll}));

    const std::vector<unsigned> all = MessageButtonList(0x1FF);
    const std::vector<std::string> de = {"&Ja",         "&Nein",   "OK",
                                         "Abbruch",     "Abbruch", "&Wiederholen",
                                         "&Ignorieren", "&Alle",   "&Hilfe"};
    const std::vector<std::string> en = {"&Yes",   "&No",     "OK",   "Cancel", "Abort",
                                         "&Retry", "&Ignore", "&All", "&Help"};
    const std::vector<int> results = {6, 7, 1, 2, 3, 4, 5, 8, 0};
    ASSERT_EQ(all.size(), 9u);
    for (std::size_t i = 0; i < all.size(); ++i) {
        EXPECT_EQ(MessageButtonCaption(all[i], LanguageGerman), de[i]) << i;
        EXPECT_EQ(MessageButtonCaption(all[i], LanguageOf(1031)), en[i]) << "only 7 is German";
        EXPECT_EQ(MessageButtonResult(all[i]), results[i]) << i;
    }

    EXPECT_EQ(MessageTitle(MessageKind::Warning, LanguageGerman), "Warnung");
    EXPECT_EQ(MessageTitle(MessageKind::Error, LanguageGerman), "Fehler");
    EXPECT_EQ(MessageTitle(MessageKind::Confirmation, LanguageGerman), "Best\xC3\xA4tigung");
    EXPECT_EQ(MessageTitle(MessageKind::Information, LanguageEnglish), "Information");
    EXPECT_EQ(MessageTitle(MessageKind::Confirmation, LanguageEnglish), "Confirmation");
    EXPECT_EQ(MessageTitle(MessageKind::Custom, LanguageGerman), AppTitle());
}

TEST(MessageDlg, DefaultAndCancelButtons)
{
    using V = MessageVariant;
    const unsigned ync = mbYesNoCancel;
    EXPECT_EQ(MessageDefaultButton(ync, V::Plain, mbNo), unsigned(mbYes)) << "caller ignored";
    EXPECT_EQ(MessageDefaultButton(mbYes | mbNo | mbOK, V::Plain, 0), unsigned(mbOK));
    EXPECT_EQ(MessageDefaultButton(mbRetry | mbCancel, V::Plain, 0), unsigned(mbRetry));
    EXPECT_EQ(MessageDefaultButton(mbAbort | mbIgnore, V::Plain, 0), 0u);
    EXPECT_EQ(MessageDefaultButton(ync, V::WithDefault, mbNo), unsigned(mbNo));
    EXPECT_EQ(MessageDefaultButton(ync, V::WithDefault, mbOK), unsigned(mbYes)) << "not in set";
    EXPECT_EQ(MessageDefaultButton(ync, V::WithDefault, mbNo | mbCancel), unsigned(mbYes));

    EXPECT_EQ(MessageCancelButton(ync), unsigned(mbCancel));
    EXPECT_EQ(MessageCancelButton(mbOK | mbNo), unsigned(mbNo));
    EXPECT_EQ(MessageCancelButton(mbOK), unsigned(mbOK));
    EXPECT_EQ(MessageCancelButton(mbAbort | mbRetry | mbIgnore), 0u);
}
