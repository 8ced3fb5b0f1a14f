#pragma once

namespace ecuprobe::cli {

// The stop number a console event is kept as: Ctrl-C as SIGINT (2), Ctrl-Break
// as SIGBREAK (21), the console closed, a log-off or a shut-down as SIGHUP (1),
// so that the exit status is 128 plus it, as on POSIX. 0 for an unknown event.
int stopNumberOfConsoleEvent(unsigned long event);

// The console's control handler, run on a thread Windows starts for it: records
// the stop, and on a second one writes the hand-back note to stderr. When the
// console is closing, Windows ends the process as soon as this returns, so it
// first waits, a few seconds at most, until the command has handed back and
// the handler was taken away. Returns 1 (handled) for the events it knows.
int handleConsoleEvent(unsigned long event);

}  // namespace ecuprobe::cli
