#include "FileDrop.h"

#include <QAbstractItemView>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

namespace Quorvane {

namespace {

std::vector<std::string> localFilesOf(const QMimeData *data)
{
    std::vector<std::string> paths;
    if (!data)
        return paths;
    for (const QUrl &url : data->urls()) {
        if (url.isLocalFile())
            paths.push_back(url.toLocalFile().toStdString());
    }
    return paths;
}

} // namespace

FileDrop::FileDrop(QAbstractItemView &view, Handler handler)
    : QObject(&view)
    , m_handler(std::move(handler))
{
    view.setAcceptDrops(true);
    view.setDropIndicatorShown(false);
    view.viewport()->installEventFilter(this);
}

// Drops are taken before the view's own handling, which would try to move items.
bool FileDrop::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto *drag = static_cast<QDropEvent *>(event);
        if (localFilesOf(drag->mimeData()).empty()) {
            drag->ignore();
        } else {
            drag->setDropAction(Qt::CopyAction);
            drag->accept();
        }
        return true;
    }
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        const std::vector<std::string> paths = localFilesOf(drop->mimeData());
        if (paths.empty()) {
            drop->ignore();
            return true;
        }
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
        m_handler(paths);
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}

} // namespace Quorvane
