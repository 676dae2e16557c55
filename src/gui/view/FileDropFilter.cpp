#include "gui/view/FileDropFilter.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

namespace vtm {

namespace {
QString firstLocalFile(const QMimeData *mime)
{
    if (mime && mime->hasUrls()) {
        for (const QUrl &url : mime->urls()) {
            if (url.isLocalFile())
                return url.toLocalFile();
        }
    }
    return QString();
}
} // namespace

void FileDropFilter::watch(QWidget *widget)
{
    widget->setAcceptDrops(true);
    widget->installEventFilter(this);
}

bool FileDropFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
        auto *drag = static_cast<QDropEvent *>(event);
        if (!firstLocalFile(drag->mimeData()).isEmpty())
            drag->acceptProposedAction();
        return true;
    }
    if (event->type() == QEvent::Drop) {
        auto *drop = static_cast<QDropEvent *>(event);
        const QString path = firstLocalFile(drop->mimeData());
        drop->acceptProposedAction();
        if (!path.isEmpty())
            emit fileDropped(path); // further files are ignored
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace vtm
