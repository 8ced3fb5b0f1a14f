#pragma once

namespace ecuprobe::line {

// Exit statuses, so that scripts can tell a missing adapter from a silent ECU.
inline constexpr int exitOk = 0;
inline constexpr int exitPortFailed = 1;
inline constexpr int exitNoAnswer = 2;
// The ECU refused a command, or a measured test's run failed (its message on stderr).
inline constexpr int exitServiceFailed = 3;
// The adapter's echo did not come back as sent: wrong, short or missing.
inline constexpr int exitAdapterFaulty = 3;
// The ECU did not confirm the return of control: an output may still be overridden.
inline constexpr int exitHandBackUnconfirmed = 4;
// sysexits.h: EX_USAGE, EX_CANTCREAT, EX_IOERR.
inline constexpr int exitUsage = 64;
inline constexpr int exitCannotCreate = 73;
inline constexpr int exitIoError = 74;
// A command cut short by a signal ends with 128 + the signal number, as a shell reports it.
inline constexpr int exitSignalBase = 128;

}  // namespace ecuprobe::line
