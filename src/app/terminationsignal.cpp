#include "app/terminationsignal.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QWidget>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace nubivu {

namespace {
// The two ends of the pipe from the handler (it writes to the first) to the
// event loop. A signal handler reaches nothing but process-wide state, so the
// process keeps this one pair; constant-initialised, so the handler's use of
// it runs no initialisation guard.
int* signalPipe() {
    static constinit int ends[2] = {-1, -1};
    return ends;
}

// Only async-signal-safe work here: the GUI thread does the rest.
void onSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe()[0], &byte, 1);
}
} // namespace

void closeOnTerminationSignal(std::function<QWidget*()> mainWindow) {
    int* ends = signalPipe();
    if (ends[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) return;
    const int readEnd = ends[1];
    auto* notifier = new QSocketNotifier(readEnd, QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, qApp,
                     [readEnd, mainWindow = std::move(mainWindow)] {
                         char byte;
                         [[maybe_unused]] const ssize_t got = ::read(readEnd, &byte, 1);
                         if (QWidget* window = mainWindow())
                             window->close();
                         else
                             QCoreApplication::quit();
                     });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
}

} // namespace nubivu
