#include <pthread.h>
#include <stdlib.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "line/outside_stop_signals.h"
#include "line/simulator_line.h"
#include "sim/pty_server.h"
#include "sim/usb_adapter_line.h"

namespace ecuprobe::line {

namespace {

// The server thread must not take Ctrl-C: the main thread's wait on stdin has to
// be the one interrupted, so the thread starts with the stop signals blocked.
void startWithStopSignalsBlocked(sim::PtyServer& server) {
    const sigset_t stopSignals = stopSignalsFromOutside();
    sigset_t previous;
    pthread_sigmask(SIG_BLOCK, &stopSignals, &previous);
    server.start();
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
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

// The link in the private folder keeps one path for the tester while the
// simulated adapter vanishes and returns.
struct SimulatorLine::Serving {
    ~Serving() {
        server.reset();
        if (!folder.empty()) {
            ::rmdir(folder.c_str());
        }
    }

    std::string folder;
    std::unique_ptr<sim::UsbAdapterLine> usb;
    std::unique_ptr<sim::PtyServer> server;
};

SimulatorLine::SimulatorLine(sim::SimulatedEcu& ecu, platform::Clock& clock, int usbLatencyMs)
    : simulator(ecu), simClock(clock), usbLatency(usbLatencyMs) {}

SimulatorLine::~SimulatorLine() = default;

bool SimulatorLine::open(int slot, platform::PortMap& ports) {
    serving = std::make_unique<Serving>();
    serving->folder = makePrivateFolder();
    if (serving->folder.empty()) {
        problem = "simulator: cannot make a folder for its link in the temporary folder";
        return false;
    }
    sim::PtyServer::Options options;
    options.pacing = true;
    options.linkPath = serving->folder + "/COM" + std::to_string(slot + 1);
    sim::ServedLine* served = &simulator;
    if (usbLatency > 0) {
        // The adapter paces the bytes itself, before its chip holds them.
        serving->usb = std::make_unique<sim::UsbAdapterLine>(simulator, simClock, usbLatency, true);
        served = serving->usb.get();
        options.pacing = false;
    }
    serving->server = std::make_unique<sim::PtyServer>(*served, options);
    if (!serving->server->open()) {
        problem = "simulator: " + serving->server->error();
        return false;
    }
    ports.setPath(slot, options.linkPath);
    // To the process: this thread blocks the signal, the main thread takes it.
    simulator.onStopSignalFault([](int signal) { ::kill(::getpid(), signal); });
    startWithStopSignalsBlocked(*serving->server);
    return true;
}

platform::SerialDevice* SimulatorLine::device() {
    return nullptr;
}

}  // namespace ecuprobe::line
