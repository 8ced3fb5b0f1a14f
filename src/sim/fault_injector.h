#pragma once

#include <bitset>
#include <cstdint>
#include <random>
#include <vector>

#include "sim/sim_types.h"

namespace ecuprobe::sim {

// The faults that strike one request.
class FaultPlan {
public:
    bool has(FaultKind kind) const { return kinds.test(index(kind)); }
    void add(FaultKind kind) { kinds.set(index(kind)); }
    bool empty() const { return kinds.none(); }
    std::uint32_t vanishMs = 0;
    int signalNumber = 0;

private:
    static std::size_t index(FaultKind kind) { return static_cast<std::size_t>(kind); }
    std::bitset<16> kinds;
};

// Holds the fault rules and decides, once per request frame, which of them strike.
class FaultInjector {
public:
    explicit FaultInjector(std::uint64_t seed) : random(seed) {}

    void add(const FaultRule& rule) { rules.push_back({rule, 0}); }
    void clear() { rules.clear(); }
    // Removes every rule of this kind.
    void remove(FaultKind kind);
    bool empty() const { return rules.empty(); }

    // Counts the request (command = its first byte) against every rule that applies
    // and returns the faults that strike it.
    FaultPlan planFor(std::uint8_t command);

private:
    struct ActiveRule {
        FaultRule rule;
        std::uint32_t seen;
    };

    bool strikes(ActiveRule& active);

    std::vector<ActiveRule> rules;
    std::mt19937_64 random;
};

}  // namespace ecuprobe::sim
