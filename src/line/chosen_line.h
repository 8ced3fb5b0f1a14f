#pragma once

#include <memory>
#include <optional>
#include <string>

#include "ecu/owed_store.h"
#include "line/global_options.h"
#include "line/simulator_line.h"
#include "link/device_attachment.h"
#include "platform/clock.h"
#include "platform/port_map.h"
#include "sim/simulated_ecu.h"

namespace ecuprobe::line {

// The line a program's command line chooses, set up the same way by the window
// and the terminal: the port map from the environment, --com1..--com4 and
// --port, and with --simulate a simulated ECU in the chosen slot; the
// process-wide link is put on it through a link::DeviceAttachment. On a real line, what the tester
// may still hold over the ECU is kept per port in the user's state folder, so that the next run
// hands back what a killed one could not; a simulated ECU ends with the process, and what it is
// owed with it.
class ChosenLine {
public:
    explicit ChosenLine(const GlobalOptions& options);
    ChosenLine(const ChosenLine&) = delete;
    ChosenLine& operator=(const ChosenLine&) = delete;
    ~ChosenLine();

    // False when the simulator or the trace file could not be set up; error() says why.
    bool ready() const { return problem.empty(); }
    const std::string& error() const { return problem; }
    int errorExit() const { return problemExit; }
    // Where error() may be said: 2 stderr; 1 stdout, when stderr is a COM port's
    // device; 0 nowhere, when both are.
    int errorStream() const { return sayOn; }

    // The chosen slot: 0..3 for COM1..COM4, and its number as the session keeps it (2..5).
    int comIndex() const { return slot; }
    int portNumber() const;
    // The device path behind the chosen slot.
    const std::string& devicePath() const;
    // The trace asked for could not be opened, or a line of it was lost.
    bool traceBroken() const { return attachment && attachment->traceBroken(); }
    const std::string& tracePath() const { return attachment->requestedTracePath(); }
    // The slot the built-in simulated ECU serves; none without --simulate.
    std::optional<int> simulatedSlot() const {
        return simulator ? std::optional<int>(slot) : std::nullopt;
    }
    // COM1..COM4 as the line was set up, the simulator's slot included.
    const platform::PortMap& portMap() const { return ports; }

private:
    bool startSimulator(const GlobalOptions& options);

    int slot = 0;
    std::string problem;
    int problemExit = 0;
    int sayOn = 2;
    platform::PortMap ports;
    // The simulator outlives the link so that the tester's side closes first.
    platform::RealClock simClock;
    std::unique_ptr<sim::SimulatedEcu> simulator;
    std::unique_ptr<SimulatorLine> simLine;
    std::unique_ptr<link::DeviceAttachment> attachment;
    std::unique_ptr<ecu::FileOwedStore> owedFiles;
};

}  // namespace ecuprobe::line
