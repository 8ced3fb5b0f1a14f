#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "sim/pty_server.h"
#include "sim/simulated_ecu.h"

namespace ecuprobe::bench {

// How the tester's serial line reaches the simulated ECU: a native port paced
// at 9600 bit/s, or a USB adapter whose chip holds received bytes for its
// latency timer.
struct Adapter {
    std::string name;
    std::uint32_t usbLatencyMs = 0;  // 0: a native port
};

// The simulator as the tester's port sees it through an adapter, served on a
// paced pseudo-terminal.
struct ServedAdapter {
    std::unique_ptr<sim::ServedLine> chip;  // none for a native port
    std::unique_ptr<sim::PtyServer> server;
};

// Puts the adapter between the simulator and the tester.
ServedAdapter serveThrough(sim::SimulatedEcu& ecu, platform::Clock& clock, const Adapter& adapter);

// What repeated dynamic-test run-ups on one line came to, against the
// simulator's truth.
struct RunUpFigures {
    std::vector<double> exchangeMs;  // every steady poll, the pacing left out
    std::vector<double> perSecond;   // the steady rate, one a run
    std::vector<double> requiredErrorMs;
    std::vector<double> interpolatedErrorMs;
    std::vector<std::string> failures;  // how each failed run ended
    std::string unavailable;            // why the line could not be measured at all
};

// When the engine first rose through `level` from `fromMs` on, on the
// simulator's clock: one run's truth among the crossings of all runs so far.
std::optional<double> firstRisingAfter(const std::vector<sim::Crossing>& seen, double level,
                                       double fromMs);

// The sampling period the polls fall on, for the spread of the random phase.
constexpr double runUpPhaseSpanMs = 65;

// Runs the dynamic test's run-up from 2000 to 5500 rpm `runs` times, each started
// at a random phase of the simulated engine.
RunUpFigures measureRunUps(const Adapter& adapter, int runs, std::mt19937_64& random);

}  // namespace ecuprobe::bench
