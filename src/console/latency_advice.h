#pragma once

#include <string>

#include "link/adapter_latency.h"

namespace ecuprobe::console {

// How many times slower, in tenths, a link check runs behind an adapter that
// holds bytes back for timerMs: on a direct line it takes about 6.4 ms, and the
// timer adds about half its period to each exchange on average.
int slowdownTenths(int timerMs);

// What a slow adapter costs and how to fix it, in the words both programs show
// (the window's status line, the terminal's stderr).
std::string latencyAdvice(const link::AdapterLatency& latency);

}  // namespace ecuprobe::console
