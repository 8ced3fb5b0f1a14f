#pragma once

#include <string>

#include "link/adapter_latency.h"

namespace ecuprobe::console {

// What a slow adapter costs and how to fix it, in the words both programs show
// (the window's status line, the terminal's stderr).
std::string latencyAdvice(const link::AdapterLatency& latency);

}  // namespace ecuprobe::console
