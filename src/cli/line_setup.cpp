#include "cli/line_setup.h"

#include <pthread.h>
#include <stdlib.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "cli/exit_codes.h"
#include "link/serial_port.h"
#include "sim/fault_rule_text.h"

namespace ecuprobe::cli {

namespace {

// The server thread must not take Ctrl-C: the main thread's wait on stdin has to
// be the one interrupted, so the thread starts with the stop signals blocked.
void startWithStopSignalsBlocked(sim::PtyServer& server) {
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    sigset_t previous;
    pthread_sigmask(SIG_BLOCK, &stopSignals, &previous);
    server.start();
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

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

// A fresh folder that only this user can write, in the temporary folder; empty
// when none could be made.
std::string makePrivateFolder() {
    std::error_code error;
    std::string folder =
        (std::filesystem::temp_directory_path(error) / "ecuprobe-sim-XXXXXX").string();
    return !error && ::mkdtemp(folder.data()) != nullptr ? folder : std::string();
}

}  // namespace

LineSetup::LineSetup(const GlobalOptions& options)
    : slot(options.portChoice().comIndex),
      ports(portMapFor(options, platform::PortMap::fromEnvironment())) {
    if (options.simulate && !startSimulator(options)) {
        problemExit = exitPortFailed;
        return;
    }
    wiring = std::make_unique<link::LinkWiring>(ports, options.tracePath);
    if (wiring->traceBroken()) {
        problem = "cannot write the trace file " + wiring->requestedTracePath();
        problemExit = exitCannotCreate;
    }
}

LineSetup::~LineSetup() {
    wiring.reset();
    server.reset();
    if (!simFolder.empty()) {
        ::rmdir(simFolder.c_str());
    }
}

int LineSetup::portNumber() const {
    return link::SerialPort::firstPortNumber + slot;
}

const std::string& LineSetup::devicePath() const {
    return ports.path(slot);
}

bool LineSetup::startSimulator(const GlobalOptions& options) {
    simulator = std::make_unique<sim::SimulatedEcu>(simClock, simulatorOptions(options));
    for (const std::string& text : options.simFaultRules) {
        if (const auto rule = sim::parseFaultRule(text)) {
            simulator->addFault(*rule);
        }
    }
    simFolder = makePrivateFolder();
    if (simFolder.empty()) {
        problem = "simulator: cannot make a folder for its link in the temporary folder";
        return false;
    }
    sim::PtyServer::Options serving;
    serving.pacing = true;
    serving.linkPath = simFolder + "/COM" + std::to_string(slot + 1);
    server = std::make_unique<sim::PtyServer>(*simulator, serving);
    if (!server->open()) {
        problem = "simulator: " + server->error();
        return false;
    }
    ports.setPath(slot, serving.linkPath);
    startWithStopSignalsBlocked(*server);
    return true;
}

}  // namespace ecuprobe::cli
