#include <windows.h>

#include <csignal>

#include "cli/stop_signals.h"
#include "cli/stop_signals_win32.h"

namespace ecuprobe::cli {

namespace {

// SIGHUP's number; Windows does not define it.
constexpr int consoleClosed = 1;
// Windows ends a process that is still in its close handler after about 5 s.
constexpr DWORD closeGraceMs = 4500;

// Set once the handler is taken away: a closing console's handler stops waiting.
HANDLE handedBack() {
    static const HANDLE done = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    return done;
}

BOOL WINAPI onConsoleEvent(DWORD event) {
    return handleConsoleEvent(event);
}

void writeNote() {
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_ERROR_HANDLE), handBackNote.data(),
                static_cast<DWORD>(handBackNote.size()), &written, nullptr);
}

}  // namespace

int stopNumberOfConsoleEvent(unsigned long event) {
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

int handleConsoleEvent(unsigned long event) {
    const int number = stopNumberOfConsoleEvent(event);
    if (number == 0) {
        return FALSE;
    }
    if (!StopSignals::record(number)) {
        writeNote();
    }
    if (number == consoleClosed) {
        ::WaitForSingleObject(handedBack(), closeGraceMs);
    }
    return TRUE;
}

void StopSignals::install() {
    ::ResetEvent(handedBack());
    ::SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

void StopSignals::uninstall() {
    ::SetConsoleCtrlHandler(onConsoleEvent, FALSE);
    ::SetEvent(handedBack());
}

}  // namespace ecuprobe::cli
