#include "app/TerminationSignals.h"

#include <QObject>
#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {
// The handler may only write to a descriptor; the event loop reads the other end.
int signalSockets[2] = {-1, -1};

void WriteSignal(int signalNumber) {
    const char byte = static_cast<char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(signalSockets[0], &byte, 1);
}
}  // namespace

void OnTerminationSignals(QObject& context, std::function<void()> handle) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalSockets) != 0) return;
    auto* notifier = new QSocketNotifier(signalSockets[1], QSocketNotifier::Read, &context);
    QObject::connect(notifier, &QSocketNotifier::activated, &context, [handle = std::move(handle)] {
        char byte = 0;
        [[maybe_unused]] const ssize_t read = ::read(signalSockets[1], &byte, 1);
        handle();
    });
    struct sigaction action = {};
    action.sa_handler = WriteSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}
