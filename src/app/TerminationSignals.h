// SIGTERM, SIGHUP and SIGINT end the program through its own shutdown, so that a logout or a
// kill still writes the settings. The handler only wakes the event loop; the shutdown runs there.
#pragma once

#include <functional>

namespace kalvetra {

// Installs the handlers; `onSignal` runs on the interface thread, once per signal.
// Returns false when the handlers could not be installed.
bool handleTerminationSignals(std::function<void()> onSignal);

}  // namespace kalvetra
