#pragma once

namespace ecuprobe::cli {

// Ctrl-C and SIGTERM ask the running command to stop: loops look at the flag
// between exchanges, so the command still hands every control back to the ECU
// and closes the port. A second Ctrl-C leaves at once.
class StopSignals {
public:
    StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;
    ~StopSignals();

    static bool requested();
    // The signal that asked to stop, 0 when none did.
    static int signalNumber();
};

}  // namespace ecuprobe::cli
