#include "FileDrop.h"

#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <QWidget>

namespace kalvetra {

std::optional<QString> firstDroppedFile(const QMimeData* data)
{
    if (!data || !data->hasUrls())
        return std::nullopt;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile())
            continue;
        const QString path = url.toLocalFile();
        if (!QFileInfo(path).isDir())
            return path;
    }
    return std::nullopt;
}

FileDropTarget::FileDropTarget(QWidget* window, std::function<void(const QString& path)> open)
    : QObject(window), m_window(window), m_open(std::move(open))
{
    window->setAcceptDrops(true);
    window->installEventFilter(this);
    for (QWidget* child : window->findChildren<QWidget*>())
        if (child->acceptDrops())
            child->installEventFilter(this);
}

bool FileDropTarget::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return QObject::eventFilter(watched, event);
    auto* drop = static_cast<QDropEvent*>(event);
    const std::optional<QString> path = firstDroppedFile(drop->mimeData());
    // NOTE: a file is only ever copied from: a move would let the source delete it.
    if (!path || !(drop->possibleActions() & Qt::CopyAction))
        return QObject::eventFilter(watched, event);
    drop->setDropAction(Qt::CopyAction);
    drop->accept();
    if (type == QEvent::Drop) {
        // The drop ends first: the handler may open windows.
        QTimer::singleShot(0, m_window, [open = m_open, file = *path] { open(file); });
    }
    return true;
}

}  // namespace kalvetra
