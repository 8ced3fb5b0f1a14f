#pragma once

#include <cstdint>

namespace ecuprobe::ecu {

// 1 while a button-driven service talks to the ECU; the console's poll then
// skips everything after its link check.
extern std::int32_t exchangeBusy;

// Raises exchangeBusy for one stretch of a service and, on every way out, puts
// back what it found: a guard inside another (the identification inside the
// state report, a hand-back inside a service waiting on a question) leaves the
// outer service holding the line.
class ExchangeBusyGuard {
public:
    ExchangeBusyGuard() : found(exchangeBusy) { exchangeBusy = 1; }
    ~ExchangeBusyGuard() { exchangeBusy = found; }
    ExchangeBusyGuard(const ExchangeBusyGuard&) = delete;
    ExchangeBusyGuard& operator=(const ExchangeBusyGuard&) = delete;

private:
    std::int32_t found;
};

}  // namespace ecuprobe::ecu
