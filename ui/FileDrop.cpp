#include "FileDrop.h"

#include <QAbstractItemView>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

namespace Quorvane {

namespace {

// The file's name as the bytes the system knows it by. A file manager percent-encodes the
// name's bytes in the URL; decoding them as bytes keeps names that are not valid UTF-8, which
// QUrl::toLocalFile would turn into U+FFFD, that is, into another name.
std::string localPathOf(const QUrl &url)
{
    std::string path;
    if (!url.host().isEmpty())
        path = "//" + url.host(QUrl::FullyEncoded).toStdString();
    path += QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString();
    return path;
}

std::vector<std::string> localFilesOf(const QMimeData *data)
{
    std::vector<std::string> paths;
    if (!data)
        return paths;
    for (const QUrl &url : data->urls()) {
        if (url.isLocalFile())
            paths.push_back(localPathOf(url));
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
