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

}  // namespace ecuprobe::cli
