// Find next through a file read on demand from a slow disk: the window keeps painting and
// refuses input, the progress window comes up late enough not to flash, and Escape stops
// the find at once, leaving everything as it was.
#include "gui/app/JobWindow.h"
#include "gui/app/MainWindow.h"
#include "gui/app/MessageDialog.h"
#include "gui/view/TPlixBox.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdint>

using namespace vtm;

namespace {

// 3 MiB in blocks of 32 KiB at 1 MB/s: the whole find takes about three seconds.
constexpr std::int64_t kSize = std::int64_t(3) << 20;
constexpr std::int64_t kCursor = 1000;

class SlowFind : public QObject
{
public:
    QTemporaryDir dir;
    MainWindow w;
    QElapsedTimer clock; // from the key that starts the find
    qint64 shownAt = -1; // when the progress window came up
    int paints = 0;      // of the dump, while the job ran
    QStringList messages;
    QTimer watch;

    SlowFind()
    {
        Document::SetReadingOnDemandForTesting(std::int64_t(1) << 20,
                                               FileSource::Limits{32 << 10, 4, 1000000});
        QByteArray bytes(int(kSize), 0);
        for (int i = 0; i < bytes.size(); ++i)
            bytes[i] = char(i & 0xFF); // counts up: 03 02 01 never occurs
        const QString path = dir.filePath(QStringLiteral("slow.bin"));
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        f.close();
        w.state().settings.Language = LanguageEnglish;
        w.editor().ApplyLanguage();
        w.show();
        w.loadFile(path);
        w.editor().MoveCursorToOffset(kCursor, false, true);
        w.state().Find.FindBytes = {0x03, 0x02, 0x01};
        w.state().Find.SearchAccepted = true;
        w.view()->client()->installEventFilter(this);
        w.jobWindow()->installEventFilter(this);
        // Any message box is noted and closed, so that a wrong one cannot hold the test.
        connect(&watch, &QTimer::timeout, [this] {
            if (auto *box = qobject_cast<MessageDialog *>(QApplication::activeModalWidget())) {
                messages << box->textLabel()->text();
                box->reject();
            }
        });
        watch.start(20);
    }
    ~SlowFind() override
    {
        w.view()->client()->removeEventFilter(this);
        w.jobWindow()->removeEventFilter(this);
        Document::SetReadingOnDemandForTesting(-1, {});
    }

    // Find next; returns when the job has ended, with its duration in ms.
    qint64 findNext()
    {
        shownAt = -1;
        paints = 0;
        clock.start();
        QTest::keyClick(&w, Qt::Key_F3);
        return clock.elapsed();
    }

    // What the status bar says after the job.
    QString status() const { return w.statusPanel(2)->text(); }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == w.view()->client() && event->type() == QEvent::Paint
            && w.jobWindow()->running())
            ++paints;
        if (watched == w.jobWindow() && event->type() == QEvent::Show && shownAt < 0)
            shownAt = clock.elapsed();
        return false;
    }
};

QByteArray bytesAt(const Document &doc, std::int64_t p, int n)
{
    QByteArray b(n, 0);
    doc.ReadBytes(p, n, reinterpret_cast<std::uint8_t *>(b.data()));
    return b;
}

} // namespace

TEST(JobWindow, SlowFindPaintsShowsProgressLateAndRefusesTyping)
{
    SlowFind t;
    ASSERT_TRUE(t.w.state().doc.ReadsOnDemand());
    const QByteArray before = bytesAt(t.w.state().doc, kCursor, 16);

    QTimer repaint;
    QObject::connect(&repaint, &QTimer::timeout, [&] { t.w.view()->client()->update(); });
    repaint.start(50);
    QTimer::singleShot(200, [&] {
        QTest::keyClick(&t.w, Qt::Key_A);
        QTest::keyClick(&t.w, Qt::Key_Delete);
    });
    bool visible = false;
    QString name, percent, rate, timeLeft;
    QTimer::singleShot(1200, [&] {
        visible = t.w.jobWindow()->isVisible();
        name = t.w.jobWindow()->nameLabel()->text();
        percent = t.w.jobWindow()->percentLabel()->text();
        rate = t.w.jobWindow()->rateLabel()->text();
        timeLeft = t.w.jobWindow()->timeLeftLabel()->text();
    });
    const qint64 ms = t.findNext();
    repaint.stop();

    ASSERT_GT(ms, 2000) << "the source was not slowed down";
    EXPECT_GE(t.paints, 10);
    EXPECT_GE(t.shownAt, 300);
    EXPECT_LE(t.shownAt, 1000);
    EXPECT_TRUE(visible);
    EXPECT_EQ(name, QStringLiteral("Find next"));
    EXPECT_TRUE(percent.endsWith(QStringLiteral(" %"))) << percent.toStdString();
    EXPECT_TRUE(rate.endsWith(QStringLiteral(" MB/s"))) << rate.toStdString();
    EXPECT_TRUE(timeLeft.startsWith(QStringLiteral("Time left: "))) << timeLeft.toStdString();
    EXPECT_FALSE(t.w.jobWindow()->isVisible());

    // Nothing found: the cursor stays, and the keys typed meanwhile changed nothing.
    EXPECT_EQ(t.w.state().view.CursorOffset(), kCursor);
    EXPECT_FALSE(t.w.state().History.CanUndo());
    EXPECT_EQ(bytesAt(t.w.state().doc, kCursor, 16), before);
    EXPECT_EQ(t.w.state().doc.BufferSize(), kSize);
    EXPECT_TRUE(t.messages.isEmpty());
    EXPECT_FALSE(t.status().startsWith(QStringLiteral("Stopped")));
}

TEST(JobWindow, EscapeStopsSlowFindBeforeAndAfterTheWindowAppears)
{
    SlowFind t;
    ASSERT_TRUE(t.w.state().doc.ReadsOnDemand());
    qint64 sentAt = -1;

    // To the main window, before the progress window is up.
    QTimer::singleShot(150, [&] {
        sentAt = t.clock.elapsed();
        QTest::keyClick(&t.w, Qt::Key_Escape);
    });
    qint64 ms = t.findNext();
    ASSERT_GE(sentAt, 0);
    EXPECT_LT(ms - sentAt, 500);
    if (sentAt < 300) {
        EXPECT_LT(t.shownAt, 0);
    }
    EXPECT_TRUE(t.status().startsWith(QStringLiteral("Stopped"))) << t.status().toStdString();
    EXPECT_EQ(t.w.state().view.CursorOffset(), kCursor);

    // To the progress window once it is up.
    t.w.setStatusText(2, "");
    sentAt = -1;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (sentAt < 0 && t.w.jobWindow()->isVisible()) {
            sentAt = t.clock.elapsed();
            QTest::keyClick(t.w.jobWindow(), Qt::Key_Escape);
        }
    });
    poll.start(20);
    ms = t.findNext();
    poll.stop();
    ASSERT_GE(sentAt, 0);
    EXPECT_LT(ms - sentAt, 500);
    EXPECT_LT(ms, 2000);
    EXPECT_FALSE(t.w.jobWindow()->isVisible());
    EXPECT_TRUE(t.status().startsWith(QStringLiteral("Stopped"))) << t.status().toStdString();
    EXPECT_EQ(t.w.state().view.CursorOffset(), kCursor);
    EXPECT_FALSE(t.w.state().History.CanUndo());
    EXPECT_TRUE(t.messages.isEmpty());
}
