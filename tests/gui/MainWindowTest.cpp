#include "gui/analysis/InspectorPanel.h"
#include "gui/app/MainWindow.h"
#include "gui/app/MessageDialog.h"
#include "gui/view/TPlixBox.h"
#include "gui/view/TPlixMainPanel.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QMimeData>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <functional>

using namespace vtm;

namespace {

bool waitFor(const std::function<bool()> &done, int ms = 3000)
{
    for (int waited = 0; waited < ms; waited += 10) {
        if (done())
            return true;
        QTest::qWait(10);
    }
    return done();
}

QString status(MainWindow &w, int i)
{
    return w.statusPanel(i)->text();
}

class MainWindowTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    QString writeFile(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }

    static QByteArray counting(int n)
    {
        QByteArray b(n, 0);
        for (int i = 0; i < n; ++i)
            b[i] = char(i & 0xFF);
        return b;
    }

    // A window opened on a file the way the command line does it.
    void openWindow(MainWindow &w, const QString &path, int expectedSize)
    {
        w.openOnFirstShow(path);
        w.show();
        ASSERT_TRUE(waitFor([&] { return w.state().doc.BufferSize() == expectedSize; }));
        w.cursorTimer().stop(); // keep the blink phase still for pixel checks
        QApplication::processEvents();
    }

    static QColor pixel(QWidget *widget, int x, int y)
    {
        return widget->grab().toImage().pixelColor(x, y);
    }

    QTemporaryDir m_dir;
};

TEST_F(MainWindowTest, CommandLineFileIsShownWithCaptionAndStatus)
{
    MainWindow w;
    const QString path = writeFile(QStringLiteral("data.bin"), counting(1000));
    openWindow(w, path, 1000);

    EXPECT_EQ(w.windowTitle(), QStringLiteral("Vantreelmorbisco [") + path + QStringLiteral("]"));
    EXPECT_EQ(status(w, 0), QStringLiteral("Pos: 0 $0"));
    EXPECT_TRUE(status(w, 1).endsWith(QStringLiteral(" 0 $00 00000000")));
    EXPECT_EQ(status(w, 2), QString());
    EXPECT_EQ(w.state().view.RowCount, 63);
    EXPECT_EQ(w.state().view.CursorCol, 0);

    // The panes keep their widths; the longest texts still show whole.
    EXPECT_EQ(w.statusPanel(0)->width(), 140);
    EXPECT_EQ(w.statusPanel(1)->width(), 160);
    w.setStatusText(2, "Dist: -2147418111 -$7FFEFFFF");
    QLabel *dist = w.statusPanel(2);
    EXPECT_EQ(dist->width(), 140);
    EXPECT_LE(QFontMetrics(dist->font()).horizontalAdvance(dist->text()), 140);

    // Screen readers hear the panes' texts.
    for (int i = 0; i < 3; ++i) {
        QAccessibleInterface *pane = QAccessible::queryAccessibleInterface(w.statusPanel(i));
        ASSERT_NE(pane, nullptr);
        EXPECT_EQ(pane->text(QAccessible::Name), status(w, i));
    }
    EXPECT_EQ(QAccessible::queryAccessibleInterface(w.statusPanel(0))->text(QAccessible::Name),
              QStringLiteral("Pos: 0 $0"));
}

TEST_F(MainWindowTest, TypingUndoAndRedoByKey)
{
    MainWindow w;
    openWindow(w, writeFile(QStringLiteral("type.bin"), counting(40)), 40);
    const auto byte = [&](int i) { return int(w.state().doc.ByteAt(i)); };

    QTest::keyClicks(&w, QStringLiteral("a3"));
    EXPECT_EQ(byte(0), 0xA3);
    EXPECT_EQ(status(w, 0), QStringLiteral("Pos: 1 $1"));
    QTest::keyClick(&w, Qt::Key_G); // not a hexadecimal digit
    EXPECT_EQ(byte(1), 1);

    QTest::keyClick(&w, Qt::Key_Tab);
    QTest::keyClicks(&w, QStringLiteral("x"));
    // A character without a key of its own, as an input method delivers it.
    QKeyEvent euro(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("\u20AC"));
    QApplication::sendEvent(&w, &euro);
    QKeyEvent pound(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("\u0141"));
    QApplication::sendEvent(&w, &pound); // not in the code page: refused
    EXPECT_EQ(byte(3), 3);
    EXPECT_EQ(byte(1), 'x');
    EXPECT_EQ(byte(2), 0x80);
    QTest::keyClick(&w, Qt::Key_Z, Qt::AltModifier); // Alt combinations type nothing
    EXPECT_EQ(byte(3), 3);

    QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(byte(2), 2);
    QTest::keyClick(&w, Qt::Key_Backspace, Qt::AltModifier);
    EXPECT_EQ(byte(1), 1);
    QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(byte(1), 'x');
    QTest::keyClick(&w, Qt::Key_Backspace, Qt::AltModifier | Qt::ShiftModifier);
    EXPECT_EQ(byte(2), 0x80);
    EXPECT_EQ(status(w, 0), QStringLiteral("Pos: 2 $2"));

    // Single-byte commands; the view follows the new length.
    QTest::keyClick(&w, Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(w.state().doc.BufferSize(), 41);
    EXPECT_EQ(status(w, 0), QStringLiteral("Pos: 40 $28"));
    QTest::keyClick(&w, Qt::Key_Backspace);
    EXPECT_EQ(w.state().doc.BufferSize(), 40);
    EXPECT_EQ(byte(39), 0);
    QTest::keyClick(&w, Qt::Key_Delete);
    QTest::keyClick(&w, Qt::Key_Insert);
    EXPECT_EQ(w.state().doc.BufferSize(), 40);
    EXPECT_EQ(w.state().view.RowCount, 3);

    // Decimal layout: digits by their place, capped at 255.
    QTest::keyClick(&w, Qt::Key_D, Qt::ControlModifier);
    QTest::keyClick(&w, Qt::Key_Home);
    QTest::keyClick(&w, Qt::Key_Tab);
    QTest::keyClicks(&w, QStringLiteral("2"));
    EXPECT_EQ(byte(0), 255);
    QTest::keyClicks(&w, QStringLiteral("9"));
    EXPECT_EQ(byte(0), 255);
    QTest::keyClicks(&w, QStringLiteral("0"));
    EXPECT_EQ(byte(0), 205);
    EXPECT_EQ(status(w, 0), QStringLiteral("Pos: 0 $0"));
    EXPECT_EQ(w.state().view.CursorCol, 2);
}

TEST_F(MainWindowTest, NavigationKeysAndLayoutSwitch)
{
    MainWindow w;
    openWindow(w, writeFile(QStringLiteral("nav.bin"), counting(2000)), 2000);

    QTest::keyClick(&w, Qt::Key_Down);
    EXPECT_EQ(status(w, 0), QStringLiteral("Pos: 16 $10"));
    QTest::keyClick(&w, Qt::Key_Right);
    QTest::keyClick(&w, Qt::Key_Right);
    EXPECT_EQ(status(w, 0), QStringLiteral("Pos: 17 $11"));
    // Tab is a shortcut here, not a focus move.
    QTest::keyClick(&w, Qt::Key_Tab);
    EXPECT_EQ(w.state().view.CursorCol, 33);
    QTest::keyClick(&w, Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(w.state().view.CursorCol, 2);
    QTest::keyClick(&w, Qt::Key_End);
    EXPECT_EQ(status(w, 0), QStringLiteral("Pos: 1999 $7CF"));
    EXPECT_GE(w.state().view.CursorRow, w.state().view.TopRow());
    EXPECT_LT(w.state().view.CursorRow, w.state().view.TopRow() + w.state().view.VisibleRows);
    QTest::keyClick(&w, Qt::Key_Home);
    EXPECT_EQ(status(w, 0), QStringLiteral("Pos: 0 $0"));
    EXPECT_EQ(w.state().view.TopRow(), 0);

    // Byte 100 in the character area keeps its place across both switches.
    w.editor().MoveCursorToOffset(100, true, true);
    const int hexWidth = w.width();
    QTest::keyClick(&w, Qt::Key_D, Qt::ControlModifier);
    EXPECT_FALSE(w.state().view.HexMode);
    EXPECT_EQ(w.state().view.CursorRow, 10);
    EXPECT_EQ(w.state().view.CursorCol, 30);
    EXPECT_LT(w.width(), hexWidth);
    QTest::keyClick(&w, Qt::Key_H, Qt::ControlModifier);
    EXPECT_EQ(w.state().view.CursorRow, 6);
    EXPECT_EQ(w.state().view.CursorCol, 36);
    EXPECT_EQ(w.width(), hexWidth);
}

TEST_F(MainWindowTest, MouseClickPlacesCursorAndFeedsDistance)
{
    MainWindow w;
    openWindow(w, writeFile(QStringLiteral("mouse.bin"), counting(100)), 100);
    const Metrics &m = w.state().view.metrics;
    QWidget *client = w.view()->client();

    // Second digit of byte 3 in row 1.
    QTest::mouseClick(client, Qt::LeftButton, {},
                      QPoint(3 * m.CellWidth + m.LeftGap + m.CharWidth + 1, m.RowHeight + 2));
    EXPECT_EQ(status(w, 0), QStringLiteral("Pos: 19 $13"));
    EXPECT_EQ(w.state().view.CursorCol, 7);
    EXPECT_EQ(status(w, 2), QStringLiteral("Dist: 0 $0"));

    QTest::mouseMove(client, QPoint(m.LeftGap + 1, 2));
    EXPECT_EQ(status(w, 2), QStringLiteral("Dist: -19 -$13"));

    // Past the end on a blank row: the last byte, in the clicked area.
    QTest::mouseClick(
        client, Qt::LeftButton, {},
        QPoint(16 * m.CellWidth + m.LeftGap + 10 * m.CharWidth + 1, 10 * m.RowHeight + 2));
    EXPECT_EQ(status(w, 0), QStringLiteral("Pos: 99 $63"));
    EXPECT_TRUE(w.state().view.InCharArea(w.state().view.CursorCol));
}

TEST_F(MainWindowTest, ScrollBarMovesViewButNotCursor)
{
    MainWindow w;
    openWindow(w, writeFile(QStringLiteral("scroll.bin"), counting(16 * 200)), 3200);
    QScrollBar *bar = w.view()->vertScrollBar();
    const int rows = w.state().view.VisibleRows;

    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(w.state().view.TopRow(), rows);
    EXPECT_EQ(w.state().view.CursorRow, 0);
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(w.state().view.TopRow(), rows - 1);
    bar->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(w.state().view.TopRow(), 200 - rows);
    QApplication::processEvents();
    EXPECT_EQ(w.state().view.LastScrollPos, 200 - rows);

    // The next cursor move brings the cursor back into view.
    QTest::keyClick(&w, Qt::Key_Down);
    EXPECT_EQ(w.state().view.TopRow(), 1);
}

TEST_F(MainWindowTest, CursorEchoAndMarksArePainted)
{
    MainWindow w;
    openWindow(w, writeFile(QStringLiteral("paint.bin"), counting(256)), 256);
    EditorState &s = w.state();
    const Metrics &m = s.view.metrics;
    for (int i = 32; i < 48; ++i)
        s.doc.SetMark(i, 1); // row 2 all red
    s.doc.SetMark(64, 3);    // one blue byte in row 4
    w.invalidateViewAll();
    QApplication::processEvents();
    QWidget *client = w.view()->client();
    const int areaX = s.view.BytesPerRow * m.CellWidth;

    const QImage img = client->grab().toImage();
    EXPECT_EQ(img.pixelColor(m.LeftGap + 1, 1), QColor(Qt::black)) << "cursor digit";
    EXPECT_EQ(img.pixelColor(areaX + m.LeftGap + 1, 1), QColor(128, 128, 128)) << "echo";
    EXPECT_EQ(img.pixelColor(m.LeftGap + 1, 2 * m.RowHeight + 1), QColor(255, 0, 0));
    EXPECT_EQ(img.pixelColor(areaX + m.LeftGap + 1, 2 * m.RowHeight + 1), QColor(255, 0, 0));
    EXPECT_EQ(img.pixelColor(areaX + 1, 2 * m.RowHeight + 1), QColor(Qt::white)) << "margin";
    EXPECT_EQ(img.pixelColor(m.LeftGap + 1, 4 * m.RowHeight + 1), QColor(0, 0, 255));
    EXPECT_EQ(img.pixelColor(m.CellWidth + m.LeftGap + 1, 4 * m.RowHeight + 1), QColor(Qt::white));

    // In the character area the cursor is black there and the echo sits on the number cell.
    QTest::keyClick(&w, Qt::Key_Tab);
    QApplication::processEvents();
    const QImage tab = client->grab().toImage();
    EXPECT_EQ(tab.pixelColor(areaX + m.LeftGap + 1, 1), QColor(Qt::black));
    EXPECT_EQ(tab.pixelColor(m.LeftGap + 1, 1), QColor(128, 128, 128));

    // A blink tick hides the cursor; the echo stays.
    w.editor().CursorTimerTimer(false);
    QApplication::processEvents();
    const QImage blink = client->grab().toImage();
    EXPECT_EQ(blink.pixelColor(areaX + m.LeftGap + 1, 1), QColor(Qt::white));
    EXPECT_EQ(blink.pixelColor(m.LeftGap + 1, 1), QColor(128, 128, 128));
}

TEST_F(MainWindowTest, UnreadableFileReportsAndKeepsDocument)
{
    MainWindow w;
    openWindow(w, writeFile(QStringLiteral("keep.bin"), counting(40)), 40);
    const QString title = w.windowTitle();
    QTest::keyClick(&w, Qt::Key_Down);

    QString shown;
    QTimer::singleShot(50, [&] {
        if (auto *box = qobject_cast<MessageDialog *>(QApplication::activeModalWidget())) {
            shown = box->textLabel()->text();
            box->accept();
        }
    });
    const QString missing = m_dir.filePath(QStringLiteral("missing.bin"));
    w.state().settings.Language = LanguageEnglish;
    w.loadFile(missing);
    // The reason on a line of its own, readable as the label's text.
    EXPECT_EQ(shown, QStringLiteral("Reading ") + missing
                         + QStringLiteral(" failed!\nWhile opening: no such file or folder."));
    EXPECT_EQ(w.state().doc.BufferSize(), 40);
    EXPECT_EQ(w.windowTitle(), title);
    EXPECT_EQ(status(w, 0), QStringLiteral("Pos: 16 $10"));
}

TEST_F(MainWindowTest, EmptyFileAndDroppedFile)
{
    MainWindow w;
    openWindow(w, writeFile(QStringLiteral("empty.bin"), QByteArray()), 0);
    EXPECT_EQ(w.state().doc.BufferSize(), 0);
    EXPECT_EQ(status(w, 0), QString());
    EXPECT_EQ(status(w, 1), QString());
    const QImage img = w.view()->client()->grab().toImage();
    EXPECT_EQ(img.pixelColor(w.state().view.metrics.LeftGap + 1, 1), QColor(Qt::white))
        << "no cursor";

    const QString dropped = writeFile(QStringLiteral("drop.bin"), counting(300));
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(dropped)});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w.panel(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w.panel(), &drop);
    EXPECT_EQ(w.state().doc.BufferSize(), 300);
    EXPECT_TRUE(w.windowTitle().endsWith(QStringLiteral("drop.bin]")));
}

TEST_F(MainWindowTest, WindowSnapsToWholeRowsAndKeepsItsWidth)
{
    MainWindow w;
    openWindow(w, writeFile(QStringLiteral("size.bin"), counting(5000)), 5000);
    const int width = w.width();
    const int height = w.height();
    const int rows = w.state().view.VisibleRows;
    const int rowHeight = w.state().view.metrics.RowHeight;

    w.resize(width + 1, height + rowHeight - 1);
    QApplication::processEvents();
    EXPECT_EQ(w.width(), width);
    EXPECT_EQ(w.state().view.VisibleRows, rows);
    EXPECT_EQ(w.height(), height);

    // Even with the fixed width lifted, as a window manager might, the width comes back.
    w.setMinimumWidth(0);
    w.setMaximumWidth(QWIDGETSIZE_MAX);
    w.resize(width + 40, height);
    QApplication::processEvents();
    EXPECT_EQ(w.width(), width);

    w.resize(width, height + 3 * rowHeight);
    QApplication::processEvents();
    EXPECT_EQ(w.state().view.VisibleRows, rows + 3);
    EXPECT_EQ(w.height(), height + 3 * rowHeight);
    EXPECT_EQ(w.view()->client()->height(), (rows + 3) * rowHeight - 1);
    // 5000 bytes need 313 rows: the offset column grows to four digits.
    EXPECT_EQ(w.state().view.metrics.OffsetDigits, 4);
}

} // namespace

// The inspector stands beside the dump: the window grows by its width and comes back to
// exactly its old width when it is hidden. Its rows follow the cursor and the byte order,
// and a value typed into a field overtypes the bytes at the cursor.
TEST_F(MainWindowTest, InspectorWidensTheWindowAndFollowsTheCursor)
{
    MainWindow w;
    openWindow(w, writeFile(QStringLiteral("inspect.bin"), counting(64)), 64);
    InspectorPanel *inspector = w.inspector();
    const int width = w.width();
    const int height = w.height();
    ASSERT_FALSE(inspector->isVisible());

    w.editor().runCommand(Command::ToggleInspector);
    QApplication::processEvents();
    ASSERT_TRUE(inspector->isVisible());
    EXPECT_TRUE(w.state().settings.ShowInspector);
    EXPECT_EQ(w.width(), width + inspector->panelWidth());
    EXPECT_EQ(w.height(), height);
    EXPECT_GE(inspector->x(), w.panel()->x() + w.panel()->width());

    w.editor().MoveCursorToOffset(4, false, true);
    EXPECT_EQ(inspector->valueLabel(InspectorRow::Binary)->text(), QStringLiteral("00000100"));
    EXPECT_EQ(inspector->valueEdit(InspectorRow::UInt32)->text(), QStringLiteral("117835012"));
    EXPECT_EQ(inspector->caption(InspectorRow::UInt32)->text(), QStringLiteral("32-bit unsigned"));
    inspector->bigEndianButton()->click();
    EXPECT_TRUE(w.state().settings.InspectorBigEndian);
    EXPECT_EQ(inspector->valueEdit(InspectorRow::UInt16)->text(), QStringLiteral("1029"));

    QLineEdit *edit = inspector->valueEdit(InspectorRow::UInt16);
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("0xBEEF"));
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(w.state().doc.ByteAt(4), 0xBE);
    EXPECT_EQ(w.state().doc.ByteAt(5), 0xEF);
    EXPECT_EQ(edit->text(), QStringLiteral("48879"));
    EXPECT_EQ(w.state().view.CursorOffset(), 4);

    // From the keyboard: F2 into the first field, Down to the next, a value, Enter back to
    // the dump.
    w.activateWindow();
    QTest::keyClick(&w, Qt::Key_F2);
    EXPECT_EQ(QApplication::focusWidget(), inspector->valueEdit(InspectorRow::Int8));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_EQ(QApplication::focusWidget(), inspector->valueEdit(InspectorRow::UInt8));
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("200"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(w.state().doc.ByteAt(4), 200);
    EXPECT_NE(QApplication::focusWidget(), inspector->valueEdit(InspectorRow::UInt8));

    w.editor().runCommand(Command::German);
    EXPECT_EQ(inspector->caption(InspectorRow::UInt32)->text(),
              QStringLiteral("32 Bit ohne Vorzeichen"));
    EXPECT_EQ(w.width(), width + inspector->panelWidth());

    w.editor().runCommand(Command::ToggleInspector);
    QApplication::processEvents();
    EXPECT_FALSE(inspector->isVisible());
    EXPECT_EQ(w.width(), width);
    EXPECT_EQ(w.height(), height);
}
