#include <windows.h>

#include <QPointer>

#include <atomic>
#include <csignal>

#include "app/stop_signal_notifier.h"

namespace ecuprobe::app {

namespace {

// SIGHUP's number, for a console window that closes; Windows does not define it.
constexpr int consoleClosed = 1;
// Windows ends a process still in its close handler after about 5 s.
constexpr DWORD closeGraceMs = 4500;

std::atomic<int> stopSignal{0};
QPointer<StopSignalNotifier> instance;

int stopNumberOf(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT:
            return SIGINT;
        case CTRL_BREAK_EVENT:
            return SIGBREAK;
        case CTRL_CLOSE_EVENT:
        case CTRL_LOGOFF_EVENT:
        case CTRL_SHUTDOWN_EVENT:
            return consoleClosed;
        default:
            return 0;
    }
}

// Runs on a thread of the system's own; the window closes on the GUI thread.
BOOL WINAPI onConsoleEvent(DWORD event) {
    const int number = stopNumberOf(event);
    if (number == 0) {
        return FALSE;
    }
    int none = 0;
    stopSignal.compare_exchange_strong(none, number);
    if (StopSignalNotifier* notifier = instance.data()) {
        QMetaObject::invokeMethod(
            notifier, [notifier, number] { emit notifier->stopRequested(number); },
            Qt::QueuedConnection);
    }
    if (number == consoleClosed) {
        // Time for the hand-back before the system ends the process.
        ::Sleep(closeGraceMs);
    }
    return TRUE;
}

}  // namespace

// A window started from a console: Ctrl-C, Ctrl-Break and closing that console
// stop it like its close box. Started from the desktop it has no console, and
// the system's end of session closes its windows the ordinary way.
StopSignalNotifier::StopSignalNotifier(QObject* parent) : QObject(parent) {
    stopSignal = 0;
    instance = this;
    ::SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

StopSignalNotifier::~StopSignalNotifier() {
    ::SetConsoleCtrlHandler(onConsoleEvent, FALSE);
    instance = nullptr;
}

int StopSignalNotifier::signalNumber() {
    return stopSignal.load();
}

}  // namespace ecuprobe::app
