#include "gui/platform/FileNames.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QMimeData>
#include <QUrl>

#include <dirent.h>
#include <sys/stat.h>

namespace vtm {

namespace {
bool Exists(const std::string &path)
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

// The one entry of `folder` that Qt shows as `part`; empty when none or several do.
std::string EntryShownAs(const std::string &folder, const QString &part)
{
    DIR *dir = ::opendir(folder.empty() ? "/" : folder.c_str());
    if (!dir)
        return {};
    std::string found;
    int matches = 0;
    while (const dirent *entry = ::readdir(dir)) {
        if (QFile::decodeName(entry->d_name) == part && ++matches == 1)
            found = entry->d_name;
    }
    ::closedir(dir);
    return matches == 1 ? found : std::string();
}
} // namespace

std::string NameBytes(const QString &shown)
{
    const std::string plain = QFile::encodeName(shown).toStdString();
    if (plain.empty() || plain[0] != '/' || Exists(plain))
        return plain;
    // Part by part from the root: the first part that does not exist as encoded is looked up.
    const QStringList parts = shown.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    std::string path;
    for (const QString &part : parts) {
        std::string next = path + "/" + QFile::encodeName(part).toStdString();
        if (!Exists(next)) {
            const std::string entry = EntryShownAs(path, part);
            if (!entry.empty())
                next = path + "/" + entry;
        }
        path = std::move(next);
    }
    return path;
}

std::string DroppedFileName(const QMimeData *mime)
{
    if (!mime)
        return {};
    // "file:///path" or "file://localhost/path", one URL a line, bytes as %XX.
    const QByteArray list = mime->data(QStringLiteral("text/uri-list"));
    for (QByteArray line : list.split('\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        QByteArray path;
        if (line.startsWith("file:///"))
            path = line.mid(7);
        else if (line.startsWith("file://localhost/"))
            path = line.mid(16);
        else
            continue;
        const QByteArray bytes = QByteArray::fromPercentEncoding(path);
        if (bytes.startsWith('/') && !bytes.contains('\0'))
            return bytes.toStdString();
    }
    // Data without a raw list (made inside this program): Qt's own URLs.
    for (const QUrl &url : mime->urls()) {
        const std::string name = QFile::encodeName(url.toLocalFile()).toStdString();
        if (url.isLocalFile() && name.starts_with('/') && name.find('\0') == std::string::npos)
            return name;
    }
    return {};
}

} // namespace vtm
