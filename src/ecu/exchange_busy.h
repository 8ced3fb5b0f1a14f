#pragma once

#include <cstdint>

namespace ecuprobe::ecu {

// 1 while a button-driven service talks to the ECU; the console's poll then
// skips everything after its link check.
extern std::int32_t exchangeBusy;

// Holds exchangeBusy for one service and clears it on every way out. It is a
// plain flag, not a count: a guard inside another clears it on leaving, as the
// services that set and clear it by hand always did.
class ExchangeBusyGuard {
public:
    ExchangeBusyGuard() { exchangeBusy = 1; }
    ~ExchangeBusyGuard() { exchangeBusy = 0; }
    ExchangeBusyGuard(const ExchangeBusyGuard&) = delete;
    ExchangeBusyGuard& operator=(const ExchangeBusyGuard&) = delete;
};

}  // namespace ecuprobe::ecu
