#pragma once

#include <cstdint>

#include "platform/clock.h"

namespace ecuprobe::cli {

// Sleeps ms on the clock in short slices; false as soon as a stop was asked for.
bool sleepUnlessStopped(platform::Clock& clock, std::uint32_t ms);

}  // namespace ecuprobe::cli
