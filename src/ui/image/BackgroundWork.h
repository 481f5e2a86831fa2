// Long work of an image window (the vectors of a save or a print) on a thread of its own, so
// that the windows keep drawing and a termination signal is acted on at once: after half a
// second a progress box with キャンセル shows.
#pragma once

#include <QString>

#include <atomic>
#include <functional>

class QWidget;

namespace kalvetra {

// The wait before the progress box shows.
constexpr int ProgressDelayMilliseconds = 500;

// Runs `work` on a worker thread while the event loop runs, until it returns, the user cancels
// or the program ends (its event loops told to exit); then the worker's flag is set and the
// worker waited for. True when the work ran to its end without being stopped. `work` must
// read only what nothing else changes meanwhile.
bool runInBackground(QWidget* parent, const QString& label,
                     const std::function<void(const std::atomic_bool& cancelled)>& work);

}  // namespace kalvetra
