// Files dropped on a window from a file manager: the first local file of the drop goes to
// the window's handler, wherever in the window it lands - on a text box too, which would
// otherwise take the file's path as text. Other drops (text between boxes) are left alone.
#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class QMimeData;
class QWidget;

namespace kalvetra {

// The first URL of `data` that names a local file (not a folder), or nothing.
std::optional<QString> firstDroppedFile(const QMimeData* data);

class FileDropTarget : public QObject {
public:
    // Takes drops on `window` and on every child that takes drops now. The handler runs
    // once the drop has ended, from the event loop.
    FileDropTarget(QWidget* window, std::function<void(const QString& path)> open);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_window;
    std::function<void(const QString& path)> m_open;
};

}  // namespace kalvetra
