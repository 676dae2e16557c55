#include "gui/platform/Platform.h"

#include "app/Calculator.h"
#include "app/LanguageIds.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLocale>
#include <QStandardPaths>
#include <QStringList>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace vtm {

int UserLanguage()
{
    return PrimaryLanguageId(QLocale::system().name().toStdString());
}

void Beep()
{
    QApplication::beep();
}

int DialogBaseUnits()
{
    // The classic system font's 8 × 16, for when no font can be measured.
    constexpr int fallback = (16 << 16) | 8;
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return fallback;
    const QFontMetrics fm(QApplication::font());
    const int letters = fm.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    const int width = (letters + 26) / 52;
    const int height = fm.height();
    if (width <= 0 || height <= 0 || width > 0xffff || height > 0x7fff)
        return fallback;
    return (height << 16) | width;
}

InstanceLock::InstanceLock(const QString &path)
    : m_lock(path)
{
    // Never stale by age: it is held for as long as the program runs. A lock whose owner
    // is gone is still taken over, as QLockFile checks the owner's process.
    m_lock.setStaleLockTime(0);
    // Only a lock held by a running copy says there is one; if no lock can be made at all,
    // this copy counts as the first.
    m_first = m_lock.tryLock(0) || m_lock.error() != QLockFile::LockFailedError;
}

namespace {
QString InstanceLockPath()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return runtime + QStringLiteral("/vantreelmorbisco.lock");
        // The temporary directory is shared between users; each gets a lock of their own.
#ifdef Q_OS_WIN
    const QString user = qEnvironmentVariable("USERNAME");
#else
    const QString user = QString::number(::getuid());
#endif
    return QDir::tempPath() + QStringLiteral("/vantreelmorbisco-") + user + QStringLiteral(".lock");
}
} // namespace

bool FirstInstance()
{
    static const InstanceLock lock(InstanceLockPath());
    return lock.IsFirst();
}

std::string DefaultCalculatorPath()
{
#ifdef Q_OS_WIN
    wchar_t dir[MAX_PATH];
    const UINT n = GetWindowsDirectoryW(dir, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return {};
    return (QString::fromWCharArray(dir, int(n)) + QStringLiteral("\\calc.exe")).toStdString();
#else
    for (const std::string &name : CommonCalculators()) {
        const QString path = QStandardPaths::findExecutable(QString::fromStdString(name));
        if (!path.isEmpty())
            return path.toStdString();
    }
    return {};
#endif
}

} // namespace vtm
