#include "gui/app/SpeedPanel.h"
#include "gui/widgets/TSpeedButton.h"

#include "document/Language.h"
#include "widgets/SpeedHints.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QSignalSpy>
#include <QTest>

using namespace vtm;

namespace {

int opaquePixels(const QImage &image)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += qAlpha(image.pixel(x, y)) > 128;
    return n;
}

QString name(SpeedButton id)
{
    return QString::fromUtf8(SpeedButtonName(id));
}

QString accessibleName(QObject *o)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(o);
    return iface ? iface->text(QAccessible::Name) : QString();
}

} // namespace

// Needs Qt's SVG plugins at run time; without them every icon comes out empty.
TEST(SpeedPanel, EveryGlyphRendersAtSingleAndDoubleScale)
{
    SpeedPanel panel; // its buttons bring the glyph resources in
    for (SpeedButton id : AllSpeedButtons()) {
        const QString path = SpeedPanel::glyphPath(id);
        ASSERT_TRUE(QFile::exists(path)) << path.toStdString();
        const QIcon icon(path);
        const QImage one = icon.pixmap(QSize(20, 20), 1.0).toImage();
        const QImage two = icon.pixmap(QSize(20, 20), 2.0).toImage();
        EXPECT_EQ(one.size(), QSize(20, 20)) << path.toStdString();
        EXPECT_EQ(two.size(), QSize(40, 40)) << path.toStdString();
        const int onePixels = opaquePixels(one);
        EXPECT_GT(onePixels, 20) << path.toStdString();
        // Drawn at double size, not padded into a corner of the larger image.
        EXPECT_GT(opaquePixels(two), 3 * onePixels) << path.toStdString();

        // And the button on the panel shows it.
        TSpeedButton *b = panel.button(id);
        EXPECT_EQ(b->objectName(), name(id));
        EXPECT_FALSE(b->icon().isNull()) << path.toStdString();
    }
}

TEST(SpeedPanel, ButtonsFollowTheWidth)
{
    SpeedPanel panel;
    EXPECT_EQ(panel.height(), SpeedPanelHeight);
    panel.resize(544, SpeedPanelHeight);
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    const int size = TSpeedButton::ButtonSize;
    EXPECT_EQ(panel.button(SpeedButton::OpenSB)->geometry(), QRect(19, 6, size, size));
    EXPECT_EQ(panel.button(SpeedButton::FindSB)->geometry(), QRect(211, 6, size, size));
    for (int width : {457, 640}) {
        panel.resize(width, SpeedPanelHeight);
        for (SpeedButton id : AllSpeedButtons())
            EXPECT_EQ(panel.button(id)->pos(), QPoint(SpeedButtonLeft(id, width, size),
                                                      SpeedButtonTop(panel.height(), size)))
                << name(id).toStdString() << " at " << width;
    }
    // Neighbours stay apart even on the narrow decimal layout.
    EXPECT_LE(panel.button(SpeedButton::CalcSB)->geometry().right(),
              panel.button(SpeedButton::TabSB)->x());

    // The glyph is on the screen, not just set.
    const QImage shot = panel.button(SpeedButton::SaveSB)->grab().toImage();
    const QColor background = shot.pixelColor(0, 0);
    int drawn = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            drawn += shot.pixelColor(x, y) != background;
    EXPECT_GT(drawn, 100);
}

TEST(SpeedPanel, HintsAndDecimalButtonFollowTheLanguage)
{
    SpeedPanel panel;
    for (Language language : {LanguageGerman, LanguageEnglish, LanguageGerman}) {
        panel.applyLanguage(language);
        for (SpeedButton id : AllSpeedButtons()) {
            const QString hint = QString::fromUtf8(SpeedButtonHint(id, language));
            EXPECT_EQ(panel.button(id)->toolTip(), hint);
            EXPECT_EQ(accessibleName(panel.button(id)), hint);
        }
        const bool german = language == LanguageGerman;
        EXPECT_EQ(panel.isButtonShown(SpeedButton::DezSpeedButton), german);
        EXPECT_EQ(panel.isButtonShown(SpeedButton::DecSpeedButton), !german);
        EXPECT_TRUE(panel.isButtonShown(SpeedButton::HexSpeedButton));
    }
    EXPECT_EQ(panel.button(SpeedButton::DezSpeedButton)->toolTip(),
              QStringLiteral("Dezimal anzeigen"));
    EXPECT_EQ(panel.button(SpeedButton::FindNextSB)->toolTip(), QStringLiteral("Nächstes suchen"));
    panel.applyLanguage(LanguageOf(12));
    EXPECT_EQ(panel.button(SpeedButton::DecSpeedButton)->hint(), QStringLiteral("View decimal"));
    EXPECT_TRUE(panel.isButtonShown(SpeedButton::DecSpeedButton));
}

TEST(SpeedPanel, OwnerHiddenButtonsStayHidden)
{
    SpeedPanel panel;
    panel.setButtonShown(SpeedButton::PrintSB, false);
    panel.setButtonShown(SpeedButton::DecSpeedButton, false);
    panel.applyLanguage(LanguageGerman);
    panel.applyLanguage(LanguageEnglish);
    EXPECT_FALSE(panel.isButtonShown(SpeedButton::PrintSB));
    EXPECT_FALSE(panel.isButtonShown(SpeedButton::DecSpeedButton));
    panel.setButtonShown(SpeedButton::PrintSB, true);
    EXPECT_TRUE(panel.isButtonShown(SpeedButton::PrintSB));
    // Wanted by the owner, but not in this language.
    panel.setButtonShown(SpeedButton::DezSpeedButton, true);
    EXPECT_FALSE(panel.isButtonShown(SpeedButton::DezSpeedButton));
}

TEST(SpeedPanel, ClicksRunOnlyEnabledButtonsAndLeaveTheFocus)
{
    QWidget window;
    auto *panel = new SpeedPanel(&window);
    panel->resize(544, SpeedPanelHeight);
    window.resize(544, 100);
    window.setFocusPolicy(Qt::StrongFocus);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.setFocus();

    TSpeedButton *find = panel->button(SpeedButton::FindSB);
    QSignalSpy clicked(find, &TSpeedButton::clicked);
    QTest::mouseClick(find, Qt::LeftButton);
    EXPECT_EQ(clicked.count(), 1);
    EXPECT_FALSE(find->hasFocus());
    find->setEnabled(false);
    QTest::mouseClick(find, Qt::LeftButton);
    EXPECT_EQ(clicked.count(), 1);
}
