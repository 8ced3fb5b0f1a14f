#include "sim/fault_injector.h"

#include <algorithm>
#include <array>

namespace ecuprobe::sim {

namespace {

constexpr std::array<std::string_view, 13> kindNames{
    "silence", "badsum", "wrongecho", "noecho",  "shortecho", "cut",     "garbage",
    "noise",   "refuse", "noident",   "nospeed", "vanish",    "sigterm",
};

}  // namespace

std::optional<FaultKind> faultKindFromName(std::string_view name) {
    const auto it = std::find(kindNames.begin(), kindNames.end(), name);
    if (it == kindNames.end()) {
        return std::nullopt;
    }
    return static_cast<FaultKind>(it - kindNames.begin());
}

std::string_view faultKindName(FaultKind kind) {
    return kindNames.at(static_cast<std::size_t>(kind));
}

void FaultInjector::remove(FaultKind kind) {
    std::erase_if(rules, [kind](const ActiveRule& active) { return active.rule.kind == kind; });
}

bool FaultInjector::strikes(ActiveRule& active) {
    const FaultTrigger& trigger = active.rule.trigger;
    const std::uint32_t count = ++active.seen;
    const std::uint32_t n = std::max<std::uint32_t>(trigger.n, 1);
    switch (trigger.mode) {
        case FaultTrigger::Mode::always:
            return true;
        case FaultTrigger::Mode::once:
            return count == 1;
        case FaultTrigger::Mode::everyNth:
            return count % n == 0;
        case FaultTrigger::Mode::afterN:
            return count > trigger.n;
        case FaultTrigger::Mode::probability: {
            std::uniform_real_distribution<double> chance(0, 1);
            return chance(random) < trigger.probability;
        }
    }
    return false;
}

FaultPlan FaultInjector::planFor(std::uint8_t command) {
    FaultPlan plan;
    for (ActiveRule& active : rules) {
        const auto& only = active.rule.trigger.command;
        if (only && *only != command) {
            continue;
        }
        if (strikes(active)) {
            plan.add(active.rule.kind);
            if (active.rule.kind == FaultKind::vanish) {
                plan.vanishMs = std::max(plan.vanishMs, active.rule.vanishMs);
            }
            if (active.rule.kind == FaultKind::stopSignal) {
                plan.signalNumber = active.rule.signalNumber;
            }
        }
    }
    return plan;
}

}  // namespace ecuprobe::sim
