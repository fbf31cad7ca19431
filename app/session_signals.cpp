#include "app/session_signals.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>

namespace ov2 {
namespace {

int g_wakeFds[2] = {-1, -1};

void OnSignal(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(g_wakeFds[0], &byte, 1);
    errno = saved;
}

}  // namespace

void QuitOnSessionSignals(std::function<void()> beforeQuit) {
    if (g_wakeFds[0] < 0 &&
        socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_wakeFds) != 0)
        return;
    auto* notifier =
        new QSocketNotifier(g_wakeFds[1], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [notifier, beforeQuit] {
        char bytes[16];
        while (read(g_wakeFds[1], bytes, sizeof bytes) > 0) {
        }
        notifier->setEnabled(false);  // one quit is enough
        if (beforeQuit) beforeQuit();
        // exit, not quit: quit would close the window, which asks about the changes.
        QCoreApplication::exit(0);
    });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
}

}  // namespace ov2
