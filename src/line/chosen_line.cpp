#include "line/chosen_line.h"

#include "line/exit_codes.h"
#include "line/port_outputs.h"
#include "link/serial_port.h"
#include "sim/fault_rule_text.h"

namespace ecuprobe::line {

namespace {

sim::SimulatedEcuOptions simulatorOptions(const GlobalOptions& options) {
    sim::SimulatedEcuOptions chosen;
    chosen.scenario = sim::scenarioFromName(options.scenario).value_or(sim::Scenario::idle);
    if (!options.simStoredFaults.empty()) {
        chosen.faults = sim::parseStoredFaults(options.simStoredFaults).value_or(chosen.faults);
    }
    if (!options.simEquipment.empty()) {
        chosen.equipment = sim::parseEquipment(options.simEquipment).value_or(chosen.equipment);
    }
    return chosen;
}

}  // namespace

ChosenLine::ChosenLine(const GlobalOptions& options)
    : slot(options.portChoice().comIndex),
      ports(portMapFor(options, platform::PortMap::fromEnvironment())) {
    if (options.simulate && !startSimulator(options)) {
        problemExit = exitPortFailed;
        return;
    }
    // Refused before the file is opened: opening a serial line may already raise its
    // modem lines, and the trace would then go onto the K-line.
    const std::string trace =
        options.tracePath.value_or(platform::WireTrace::pathFromEnvironment());
    const std::string stdoutOnPort = standardStreamOnPortProblem(1, ports);
    const std::string stderrOnPort = standardStreamOnPortProblem(2, ports);
    if (!stderrOnPort.empty()) {
        sayOn = stdoutOnPort.empty() ? 1 : 0;
    }
    problem = stderrOnPort.empty() ? stdoutOnPort : stderrOnPort;
    if (problem.empty()) {
        problem = outputOnPortProblem("the trace file", trace, ports);
    }
    if (!problem.empty()) {
        problemExit = exitUsage;
        return;
    }
    if (platform::SerialDevice* device = simLine ? simLine->device() : nullptr) {
        attachment = std::make_unique<link::DeviceAttachment>(*device, ports, options.tracePath);
    } else {
        attachment = std::make_unique<link::DeviceAttachment>(ports, options.tracePath);
    }
    attachment->link().setNoEcho(options.noEcho);
    if (!simLine) {
        if (std::filesystem::path folder = platform::userStateFolder(); !folder.empty()) {
            owedFiles = std::make_unique<ecu::FileOwedStore>(std::move(folder));
            ecu::useOwedStore(owedFiles.get());
        }
    }
    if (attachment->traceBroken()) {
        problem = "cannot write the trace file " + attachment->requestedTracePath();
        problemExit = exitCannotCreate;
    }
}

// The link closes the tester's side first, then the simulator's line goes.
ChosenLine::~ChosenLine() {
    if (owedFiles) {
        ecu::useOwedStore(nullptr);
    }
}

int ChosenLine::portNumber() const {
    return link::SerialPort::firstPortNumber + slot;
}

const std::string& ChosenLine::devicePath() const {
    return ports.path(slot);
}

bool ChosenLine::startSimulator(const GlobalOptions& options) {
    simulator = std::make_unique<sim::SimulatedEcu>(simClock, simulatorOptions(options));
    for (const std::string& text : options.simFaultRules) {
        if (const auto rule = sim::parseFaultRule(text)) {
            simulator->addFault(*rule);
        }
    }
    simLine = std::make_unique<SimulatorLine>(*simulator, simClock, options.simUsbLatencyMs);
    if (!simLine->open(slot, ports)) {
        problem = simLine->error();
        return false;
    }
    return true;
}

}  // namespace ecuprobe::line
