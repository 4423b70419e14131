#include "termination.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// [0] is written by the signal handler, [1] read in the event loop.
int g_socket[2] = {-1, -1};

std::function<void(int)>& handler() {
    static std::function<void(int)> f;
    return f;
}

void onSignal(int signal) {
    const int saved = errno;
    const char number = char(signal);
    // Nothing else is safe in a signal handler. A full socket drops the byte: an end is
    // already waiting to be read.
    [[maybe_unused]] const ssize_t n = ::write(g_socket[0], &number, 1);
    errno = saved;
}

void readSignals() {
    char numbers[16];
    ssize_t n;
    while ((n = ::read(g_socket[1], numbers, sizeof numbers)) > 0)
        for (ssize_t i = 0; i < n; ++i)
            if (handler())
                handler()(int(numbers[i]));
}

} // namespace

bool catchTerminationSignals(std::function<void(int signal)> onSignal_) {
    if (!QCoreApplication::instance())
        return false;
    handler() = std::move(onSignal_);
    static QSocketNotifier* notifier = nullptr;
    if (!notifier) {
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, g_socket) != 0)
            return false;
        notifier = new QSocketNotifier(g_socket[1], QSocketNotifier::Read, QCoreApplication::instance());
        QObject::connect(notifier, &QSocketNotifier::activated, notifier, &readSignals);
    }
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        if (::sigaction(signal, &action, nullptr) != 0)
            return false;
    return true;
}
