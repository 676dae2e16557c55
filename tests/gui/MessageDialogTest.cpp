#include "gui/app/MessageDialog.h"

#include "app/MessageDlg.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace vtm;

namespace {

using Action = std::function<void(MessageDialog &)>;

MessageRequest request(unsigned buttons, MessageKind kind = MessageKind::Confirmation,
                       const std::string &text = "Save the changes?")
{
    MessageRequest r;
    r.text = text;
    r.kind = kind;
    r.buttons = buttons;
    return r;
}

// Shows the dialog modally and lets act answer it once it is up. A dialog still open
// after a few seconds is ended with -1, so a broken rule fails instead of hanging.
int run(const MessageRequest &r, const Action &act, MessageDialog::HelpHandler help = {})
{
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] {
        if (auto *d = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
            d->done(-1);
    });
    guard.start(5000);
    QTimer::singleShot(0, [act] {
        auto *d = qobject_cast<MessageDialog *>(QApplication::activeModalWidget());
        if (!d) {
            ADD_FAILURE() << "no message dialog is up";
            return;
        }
        (void)QTest::qWaitForWindowActive(d);
        act(*d);
    });
    return MessageDialog::ask(r, nullptr, std::move(help));
}

void press(MessageDialog &d, Qt::Key key)
{
    QTest::keyClick(d.focusWidget() ? d.focusWidget() : &d, key);
}

QString accessibleName(QObject *o)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(o);
    return iface ? iface->text(QAccessible::Name) : QString();
}

} // namespace

TEST(MessageDialog, KeysAndCloseBoxAnswer)
{
    const Action enter = [](MessageDialog &d) { press(d, Qt::Key_Return); };
    const Action escape = [](MessageDialog &d) { press(d, Qt::Key_Escape); };
    const Action close = [](MessageDialog &d) { d.close(); };
    MessageRequest safe = request(mbYesNoCancel);
    safe.variant = MessageVariant::WithDefault;
    safe.defaultButton = mbNo;

    EXPECT_EQ(run(request(mbYesNoCancel), enter), mrYes);
    EXPECT_EQ(run(safe, enter), mrNo);
    EXPECT_EQ(run(safe, escape), mrCancel);
    EXPECT_EQ(run(safe, close), mrCancel);
    EXPECT_EQ(run(request(mbOK, MessageKind::Error), escape), mrOk);
    EXPECT_EQ(run(request(mbYes | mbNo), escape), mrNo);
    EXPECT_EQ(run(request(mbYes | mbNo), close), mrCancel);

    // Nothing answers Escape here; the dialog stays until a button is pressed.
    const Action escapeThenIgnore = [](MessageDialog &d) {
        press(d, Qt::Key_Escape);
        EXPECT_TRUE(d.isVisible());
        d.button(mbIgnore)->click();
    };
    EXPECT_EQ(run(request(mbAbort | mbRetry | mbIgnore), escapeThenIgnore), mrIgnore);
}

TEST(MessageDialog, FocusStartsOnTheFirstOrTheCallersDefault)
{
    // OK is the default, yet the focus starts on Yes; Enter answers the focused button.
    const Action tabThenEnter = [](MessageDialog &d) {
        EXPECT_EQ(d.defaultButton(), d.button(mbOK));
        EXPECT_EQ(d.focusWidget(), d.button(mbYes));
        press(d, Qt::Key_Tab);
        press(d, Qt::Key_Return);
    };
    EXPECT_EQ(run(request(mbYes | mbNo | mbOK), tabThenEnter), mrNo);

    MessageRequest r = request(mbYesNoCancel | mbAbort);
    r.variant = MessageVariant::WithDefault;
    r.defaultButton = mbAbort;
    const Action onAbort = [](MessageDialog &d) {
        EXPECT_EQ(d.focusWidget(), d.button(mbAbort));
        d.close();
    };
    run(r, onAbort);
}

TEST(MessageDialog, HelpCallsBackAndStaysOpen)
{
    std::vector<int> contexts;
    MessageRequest r = request(mbOK | mbHelp, MessageKind::Information);
    r.helpContext = 1500;
    int okWithHelp = 0;
    const Action helpThenOk = [&okWithHelp](MessageDialog &d) {
        ASSERT_NE(d.button(mbHelp), nullptr);
        d.button(mbHelp)->click();
        EXPECT_TRUE(d.isVisible());
        okWithHelp = d.button(mbOK)->x();
        d.button(mbOK)->click();
    };
    const auto help = [&contexts](int context) { contexts.push_back(context); };
    EXPECT_EQ(run(r, helpThenOk, help), mrOk);
    EXPECT_EQ(contexts, std::vector<int>{1500});

    // Nowhere to send the user: no Help button, and OK is centred alone.
    const Action noHelp = [okWithHelp](MessageDialog &d) {
        EXPECT_EQ(d.findChildren<QPushButton *>().size(), 1);
        EXPECT_GT(d.button(mbOK)->x(), okWithHelp);
        d.close();
    };
    run(r, noHelp);
}

TEST(MessageDialog, LongTextWrapsAtHalfTheScreen)
{
    QSize shortSize;
    run(request(mbOK, MessageKind::Information, "Done."), [&shortSize](MessageDialog &d) {
        shortSize = d.size();
        d.close();
    });

    std::string longText;
    for (int i = 0; i < 60; ++i)
        longText += "All existing marks will be erased. ";
    const int halfScreen = QGuiApplication::primaryScreen()->availableGeometry().width() / 2;
    run(request(mbOK, MessageKind::Information, longText), [&](MessageDialog &d) {
        const QFontMetrics fm(d.font());
        const int w = fm.horizontalAdvance(QString::fromUtf8(MessageMeasureLetters())) / 52;
        EXPECT_EQ(d.minimumSize(), d.maximumSize()) << "fixed dialog border";
        EXPECT_GT(d.textLabel()->height(), 3 * fm.height());
        EXPECT_GT(d.height(), shortSize.height());
        // Icon, spacing (2.5 units) and two margins (2 units each) beside the text.
        EXPECT_LE(d.width(), halfScreen + 32 + 7 * w);
        d.close();
    });

    // Carriage returns break lines.
    run(request(mbOK, MessageKind::Custom, "First line\rSecond line"), [](MessageDialog &d) {
        EXPECT_EQ(d.textLabel()->text(), QStringLiteral("First line\nSecond line"));
        EXPECT_GE(d.textLabel()->height(), 2 * QFontMetrics(d.font()).height());
        d.close();
    });
}

TEST(MessageDialog, GermanAccessibleAndPlaced)
{
    MessageRequest r = request(mbYesNoCancel | mbAbort, MessageKind::Warning, "Datei fehlt");
    r.language = LanguageGerman;
    r.left = 40;
    r.top = 30;
    run(r, [](MessageDialog &d) {
        EXPECT_EQ(d.pos(), QPoint(40, 30));
        EXPECT_EQ(accessibleName(&d), QStringLiteral("Warnung"));
        EXPECT_EQ(accessibleName(d.iconLabel()), QStringLiteral("Warnung"));
        EXPECT_EQ(accessibleName(d.textLabel()), QStringLiteral("Datei fehlt"));
        EXPECT_EQ(accessibleName(d.button(mbYes)), QStringLiteral("Ja"));
        EXPECT_EQ(d.button(mbNo)->text(), QStringLiteral("&Nein"));
        EXPECT_EQ(d.button(mbCancel)->text(), QStringLiteral("Abbruch"));
        EXPECT_EQ(d.button(mbAbort)->text(), QStringLiteral("Abbruch"));
        EXPECT_LT(d.button(mbCancel)->x(), d.button(mbAbort)->x());
        d.close();
    });

    // Custom: the application's title and no icon, centred.
    run(request(mbOK, MessageKind::Custom), [](MessageDialog &d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Vantreelmorbisco"));
        EXPECT_EQ(d.iconLabel(), nullptr);
        const QPoint centre = QGuiApplication::primaryScreen()->availableGeometry().center();
        EXPECT_LE((d.geometry().center() - centre).manhattanLength(), 3);
        d.close();
    });
}
