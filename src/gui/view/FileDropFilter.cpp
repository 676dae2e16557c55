#include "gui/view/FileDropFilter.h"

#include "gui/platform/FileNames.h"

#include <QDropEvent>
#include <QMimeData>
#include <QWidget>

namespace vtm {


void FileDropFilter::watch(QWidget *widget)
{
    widget->setAcceptDrops(true);
    widget->installEventFilter(this);
}

bool FileDropFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
        auto *drag = static_cast<QDropEvent *>(event);
        if (!DroppedFileName(drag->mimeData()).empty())
            drag->acceptProposedAction();
        return true;
    }
    if (event->type() == QEvent::Drop) {
        auto *drop = static_cast<QDropEvent *>(event);
        const std::string path = DroppedFileName(drop->mimeData());
        drop->acceptProposedAction();
        if (!path.empty())
            emit fileDropped(path); // further files are ignored
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace vtm
