#include "TerminationSignals.h"

#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace kalvetra {
namespace {

int wakeFds[2] = {-1, -1};
// Kept so that installing the handlers again replaces the listener instead of adding one.
QSocketNotifier* notifier = nullptr;

void onTerminationSignal(int)
{
    // Only async-signal-safe work here: one byte into the socket.
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(wakeFds[0], &byte, 1);
}

}  // namespace

bool handleTerminationSignals(std::function<void()> onSignal)
{
    if (wakeFds[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM, 0, wakeFds) != 0)
        return false;
    delete notifier;
    notifier = new QSocketNotifier(wakeFds[1], QSocketNotifier::Read);
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [onSignal = std::move(onSignal)] {
        char byte = 0;
        [[maybe_unused]] const ssize_t got = ::read(wakeFds[1], &byte, 1);
        onSignal();
    });
    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    bool ok = true;
    for (int sig : {SIGTERM, SIGHUP, SIGINT})
        ok = ::sigaction(sig, &action, nullptr) == 0 && ok;
    return ok;
}

}  // namespace kalvetra
