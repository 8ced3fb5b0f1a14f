#pragma once

#include <cstdint>

#include "platform/clock.h"

namespace ecuprobe::cli {

// Sleeps ms on the clock in short slices; false as soon as a stop was asked for.
bool sleepUnlessStopped(platform::Clock& clock, std::uint32_t ms);

// Milliseconds until the moment on the clock; zero once it has passed, also
// across the wrap of the tick count.
std::uint32_t msUntil(platform::Clock& clock, std::uint32_t momentMs);

}  // namespace ecuprobe::cli
