// Arbitrary text as the simulator's fault rules and stored fault codes, and each
// rule that is taken run through the fault injector.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "require.h"
#include "sim/fault_injector.h"
#include "sim/fault_rule_text.h"

using ecuprobe::fuzzing::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (const auto rule = ecuprobe::sim::parseFaultRule(text)) {
        require(rule->trigger.probability >= 0 && rule->trigger.probability <= 1);
        require(rule->trigger.mode != ecuprobe::sim::FaultTrigger::Mode::everyNth ||
                rule->trigger.n > 0);
        ecuprobe::sim::FaultInjector injector(size);
        injector.add(*rule);
        for (int command = 0; command < 256; ++command) {
            injector.planFor(static_cast<std::uint8_t>(command));
        }
    }
    if (const auto stored = ecuprobe::sim::parseStoredFaults(text)) {
        require(stored->size() <= size / 3 + 1);
    }
    return 0;
}
