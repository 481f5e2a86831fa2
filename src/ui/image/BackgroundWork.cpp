#include "BackgroundWork.h"

#include <QEventLoop>
#include <QProgressDialog>

#include <thread>

namespace kalvetra {

bool runInBackground(QWidget* parent, const QString& label,
                     const std::function<void(const std::atomic_bool& cancelled)>& work)
{
    std::atomic_bool cancelled{false};
    std::atomic_bool finished{false};
    QEventLoop loop;
    std::thread worker([&] {
        work(cancelled);
        finished = true;
        // NOTE: queued, so a loop that has not started yet still sees it; the loop outlives
        // the worker, which is joined below.
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    {
        QProgressDialog progress(label, QStringLiteral("キャンセル"), 0, 0, parent);
        progress.setWindowTitle(QStringLiteral("カルベトラ"));
        progress.setWindowModality(Qt::ApplicationModal);
        progress.setAutoReset(false);
        progress.setAutoClose(false);
        progress.setMinimumDuration(ProgressDelayMilliseconds);
        progress.setValue(0);
        QObject::connect(&progress, &QProgressDialog::canceled, &loop, [&] {
            cancelled = true;
            loop.quit();
        });
        // Ends when the work is done, at キャンセル, or when the program's exit ends every loop.
        if (!finished)
            loop.exec();
    }
    if (!finished)
        cancelled = true;
    worker.join();
    return !cancelled;
}

}  // namespace kalvetra
