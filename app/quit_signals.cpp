#include "app/quit_signals.h"

#include <QSocketNotifier>
#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kelmar {

namespace {

// [0] is written by the handler, [1] read by the notifier. -1 when unused.
int signalFds[2] = {-1, -1};
constexpr std::array<int, 3> kQuitSignals = {SIGTERM, SIGINT, SIGHUP};

extern "C" void onQuitSignal(int signalNumber) {
    // Only async-signal-safe calls here: one byte, the signal number.
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(signalFds[0], &byte, 1);
    errno = savedErrno;
}

void setHandler(void (*handler)(int)) {
    for (int signalNumber : kQuitSignals) {
        struct sigaction action = {};
        action.sa_handler = handler;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(signalNumber, &action, nullptr);
    }
}

} // namespace

QuitSignals::QuitSignals(QObject* parent) : QObject(parent) {
    if (signalFds[0] != -1 || ::socketpair(AF_UNIX, SOCK_STREAM, 0, signalFds) != 0) {
        return;
    }
    for (int fd : signalFds) {
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    }
    notifier_ = new QSocketNotifier(signalFds[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &QuitSignals::readSignal);
    setHandler(onQuitSignal);
}

QuitSignals::~QuitSignals() {
    if (notifier_ == nullptr) {
        return;
    }
    setHandler(SIG_DFL);
    delete notifier_;
    ::close(signalFds[0]);
    ::close(signalFds[1]);
    signalFds[0] = signalFds[1] = -1;
}

void QuitSignals::readSignal() {
    unsigned char byte = 0;
    while (::read(signalFds[1], &byte, 1) == 1) {
        Q_EMIT quitRequested(byte);
    }
}

} // namespace kelmar
