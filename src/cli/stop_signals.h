#pragma once

namespace ecuprobe::cli {

// Ctrl-C, SIGTERM, SIGHUP (the terminal closed) and SIGPIPE (the reader of stdout
// went away) ask the running command to stop: loops look at the flag between
// exchanges, so the command still hands every control back to the ECU and
// closes the port. A second signal does not cut that hand-back short; it is
// finished first, and stderr says so.
class StopSignals {
public:
    StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;
    ~StopSignals();

    static bool requested();
    // The first signal that asked to stop, 0 when none did.
    static int signalNumber();
    // Forgets a Ctrl-C that was meant for one job only (a measured test in the
    // monitor), so that the command goes on; any other signal stays. True when
    // a Ctrl-C was forgotten.
    static bool forgetInterrupt();
};

}  // namespace ecuprobe::cli
