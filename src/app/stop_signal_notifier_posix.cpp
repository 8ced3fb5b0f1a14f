#include "app/stop_signal_notifier.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>

#include <csignal>
#include <vector>

#include "line/exit_codes.h"
#include "line/outside_stop_signals.h"

namespace ecuprobe::app {

namespace {

// The handler may only write to a descriptor; the GUI thread reads the other end.
int wakeFds[2] = {-1, -1};
volatile std::sig_atomic_t stopSignal = 0;
std::vector<struct sigaction> previous;

extern "C" void onStopSignal(int signal) {
    if (stopSignal == SIGINT && signal == SIGINT) {
        ::_exit(line::exitSignalBase + SIGINT);
    }
    stopSignal = signal;
    const char byte = static_cast<char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(wakeFds[1], &byte, 1);
}

}  // namespace

StopSignalNotifier::StopSignalNotifier(QObject* parent) : QObject(parent) {
    stopSignal = 0;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, wakeFds) != 0) {
        return;
    }
    notifier = new QSocketNotifier(wakeFds[0], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &StopSignalNotifier::readSignal);
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    const std::vector<int>& handled = line::outsideStopSignals();
    previous.assign(handled.size(), {});
    for (std::size_t i = 0; i < handled.size(); ++i) {
        sigaction(handled[i], &action, &previous[i]);
    }
}

StopSignalNotifier::~StopSignalNotifier() {
    if (notifier == nullptr) {
        return;
    }
    const std::vector<int>& handled = line::outsideStopSignals();
    for (std::size_t i = 0; i < handled.size() && i < previous.size(); ++i) {
        sigaction(handled[i], &previous[i], nullptr);
    }
    ::close(wakeFds[0]);
    ::close(wakeFds[1]);
    wakeFds[0] = wakeFds[1] = -1;
}

int StopSignalNotifier::signalNumber() {
    return static_cast<int>(stopSignal);
}

void StopSignalNotifier::readSignal() {
    char byte = 0;
    if (::read(wakeFds[0], &byte, 1) == 1) {
        emit stopRequested(static_cast<int>(byte));
    }
}

}  // namespace ecuprobe::app
