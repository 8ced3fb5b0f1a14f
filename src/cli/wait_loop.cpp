#include "cli/wait_loop.h"

#include <algorithm>

#include "cli/stop_signals.h"

namespace ecuprobe::cli {

namespace {

// Short enough that Ctrl-C feels immediate, long enough not to spin.
constexpr std::uint32_t sliceMs = 50;

}  // namespace

bool sleepUnlessStopped(platform::Clock& clock, std::uint32_t ms) {
    const std::uint32_t start = clock.tickMs();
    while (!StopSignals::requested()) {
        const std::uint32_t elapsed = clock.tickMs() - start;
        if (elapsed >= ms) {
            return true;
        }
        clock.sleepMs(std::min(sliceMs, ms - elapsed));
    }
    return false;
}

std::uint32_t msUntil(platform::Clock& clock, std::uint32_t momentMs) {
    const auto left = static_cast<std::int32_t>(momentMs - clock.tickMs());
    return left > 0 ? static_cast<std::uint32_t>(left) : 0;
}

}  // namespace ecuprobe::cli
