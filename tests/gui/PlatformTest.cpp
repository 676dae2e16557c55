#include "gui/platform/Platform.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QTemporaryDir>

#include <csignal>

#include <sys/wait.h>
#include <unistd.h>

using namespace vtm;

TEST(Platform, DialogBaseUnitsFollowTheDialogFont)
{
    const QFont old = QApplication::font();
    QFont small = old;
    small.setPixelSize(10);
    QApplication::setFont(small);
    const int units = DialogBaseUnits();
    QFont large = old;
    large.setPixelSize(30);
    QApplication::setFont(large);
    const int largeUnits = DialogBaseUnits();
    QApplication::setFont(old);

    // Height in the high word, average width in the low word, both grown with the font.
    EXPECT_GT(units & 0xffff, 0);
    EXPECT_GT(units >> 16, 0);
    EXPECT_GT(largeUnits & 0xffff, units & 0xffff);
    EXPECT_GT(largeUnits >> 16, units >> 16);
    EXPECT_EQ(DialogBaseUnits(), DialogBaseUnits());
}

// The lock must tell a running copy from one that has crashed without releasing it.
TEST(Platform, InstanceLockSeesRunningCopiesOnly)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("instance.lock"));

    EXPECT_TRUE(InstanceLock(path).IsFirst()) << "nobody holds it";
    {
        const InstanceLock first(path);
        EXPECT_TRUE(first.IsFirst());
        EXPECT_FALSE(InstanceLock(path).IsFirst());
    }
    EXPECT_TRUE(InstanceLock(path).IsFirst()) << "released at the end of its holder";

    // Another process takes the lock, says so, and waits to be killed.
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(ready[0]);
        const InstanceLock held(path);
        const char ok = held.IsFirst() ? '1' : '0';
        if (::write(ready[1], &ok, 1) != 1)
            ::_exit(1);
        for (;;)
            ::pause();
    }
    ::close(ready[1]);
    char ok = 0;
    ASSERT_EQ(::read(ready[0], &ok, 1), 1);
    ::close(ready[0]);
    EXPECT_EQ(ok, '1');
    EXPECT_FALSE(InstanceLock(path).IsFirst()) << "held by a running copy";

    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(QFile::exists(path)) << "a crash leaves the lock file behind";
    EXPECT_TRUE(InstanceLock(path).IsFirst()) << "left behind by a crashed copy";
}

TEST(Platform, CalculatorIsTheFirstKnownOneOnThePath)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(dir.path()));
    auto install = [&](const QString &name) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\n");
        f.close();
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    };

    const std::string none = DefaultCalculatorPath();
    install(QStringLiteral("xcalc"));
    const std::string onlyX = DefaultCalculatorPath();
    install(QStringLiteral("kcalc"));
    const std::string both = DefaultCalculatorPath();
    qputenv("PATH", oldPath);

    EXPECT_EQ(none, "");
    EXPECT_EQ(onlyX, dir.filePath(QStringLiteral("xcalc")).toStdString());
    EXPECT_EQ(both, dir.filePath(QStringLiteral("kcalc")).toStdString());
}
