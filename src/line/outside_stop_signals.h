#pragma once

#include <csignal>
#include <vector>

namespace ecuprobe::line {

// The signals that ask either tester to stop: every one whose default action
// would end the process without the hand-back and that a handler can take.
// Ctrl-C and SIGQUIT from a person, SIGHUP from a terminal that closed, SIGPIPE
// from a reader that went away, SIGTERM, SIGUSR1, SIGUSR2, SIGALRM and the
// real-time signals from the system or a script, SIGXFSZ and SIGXCPU from a
// limit the tester ran into, and the rarer rest (SIGTRAP, SIGSYS, SIGIO,
// SIGPWR, SIGPROF, SIGVTALRM, SIGSTKFLT). Left as they are: SIGKILL and SIGSTOP,
// which no handler takes; those that are ignored or only pause by default; and
// the program's own faults (SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT), after
// which a handler that returned would run the faulting instruction again and
// the report of the fault would be lost.
const std::vector<int>& outsideStopSignals();

// The same as a set: a thread of the tester's own blocks them, so that they
// interrupt the main thread's waits.
sigset_t stopSignalsFromOutside();

}  // namespace ecuprobe::line
