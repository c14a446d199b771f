#include "app/terminationsignal.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QWidget>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace nubivu {

namespace {
int signalPipe[2] = {-1, -1};

// Only async-signal-safe work here: the GUI thread does the rest.
void onSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[0], &byte, 1);
}
} // namespace

void CloseOnTerminationSignal(std::function<QWidget*()> mainWindow) {
    if (signalPipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, qApp,
                     [mainWindow = std::move(mainWindow)] {
                         char byte;
                         [[maybe_unused]] const ssize_t got = ::read(signalPipe[1], &byte, 1);
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
