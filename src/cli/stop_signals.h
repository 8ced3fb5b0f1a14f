#pragma once

#include <string_view>

namespace ecuprobe::cli {

// Ctrl-C, SIGTERM, SIGHUP (the terminal closed), SIGPIPE (the reader of stdout
// went away), SIGXFSZ (a file size limit) and every other signal that would end
// the process (line::outsideStopSignals()) ask the running command to stop; on
// Windows Ctrl-C, Ctrl-Break and closing the console window do. Loops
// look at the flag between exchanges, and the session withholds every write but
// the hand-back from then on, so the command still hands every control back to
// the ECU and closes the port. A second signal does not cut that hand-back
// short; it is finished first, and stderr says so.
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

    // What the handlers call: keeps the first request; false when one was already kept.
    static bool record(int number);

private:
    // The handlers of the system, put in place and taken away again.
    static void install();
    static void uninstall();
};

// Written to stderr when a person asks to stop again during the hand-back.
inline constexpr std::string_view handBackNote =
    "\necuprobe-cli: handing every control back to the ECU first (a few seconds)\n";

}  // namespace ecuprobe::cli
