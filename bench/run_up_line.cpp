#include "run_up_line.h"

#include "bench_figures.h"
#include "timed_device.h"

#include <chrono>
#include <thread>

#include "ecu/ecu_session.h"
#include "link/frame_exchange.h"
#include "measure/run_sampler.h"
#include "platform/clock.h"
#include "platform/posix_serial_device.h"
#include "sim/usb_adapter_line.h"

namespace ecuprobe::bench {

namespace {

constexpr int startRpm = 2000;
constexpr int endRpm = 5500;
// The engine is back near idle, below the start level, when a run may begin.
constexpr double restRpm = 1200;
constexpr int restLimitMs = 30000;

double nowMs() {
    return std::chrono::duration<double, std::milli>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The process-wide link on the served line for as long as it lives.
class Attachment {
public:
    Attachment(const std::string& path, platform::Clock& clock) {
        ports.setPath(0, path);
        link::processLink().detach();
        link::processLink().attach(device, clock, ports);
        ecu::chosenPortNumber = 2;
    }
    ~Attachment() { link::processLink().detach(); }
    Attachment(const Attachment&) = delete;
    Attachment& operator=(const Attachment&) = delete;

    const TimedDevice& line() const { return device; }

private:
    platform::PortMap ports;
    platform::PosixSerialDevice serial;
    TimedDevice device{serial, nowMs};
};

// The simulated engine only moves on when the line is served: it is stepped here
// while nobody talks to it.
bool engineAtRest(sim::SimulatedEcu& simulator) {
    for (int waited = 0; waited < restLimitMs; waited += 100) {
        simulator.advance();
        if (simulator.truth().rpm < restRpm) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

// One run-up started at `phaseMs` into the engine's manoeuvre delay.
class RunUp {
public:
    RunUp(sim::SimulatedEcu& ecu, ecu::EcuSession& tester, const Attachment& attached,
          platform::Clock& realClock)
        : simulator(ecu), session(tester), attachment(attached), clock(realClock) {}

    void run(double phaseMs, RunUpFigures& figures) {
        const double fromMs = clock.tickMs();
        simulator.startManoeuvre();
        std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(phaseMs));
        std::vector<double> polls;
        std::vector<double> exchanges;
        measure::TestSampler sampler(session);
        sampler.onProgress([&](const measure::SampleProgress&) {
            polls.push_back(nowMs());
            exchanges.push_back(attachment.line().exchangeMs());
        });
        std::vector<measure::TestSample> samples(measure::TestSampler::bufferSize);
        measure::TestResult result;
        result.startLimit = startRpm;
        result.endLimit = endRpm;
        const measure::SampleResult outcome = sampler.runRpmRise(result, samples);
        if (outcome != measure::SampleResult::Ok) {
            figures.failures.emplace_back(measure::sampleResultName(outcome));
            return;
        }
        const auto seen = simulator.crossings();
        const auto start = firstRisingAfter(seen, startRpm, fromMs);
        const auto end = firstRisingAfter(seen, endRpm, fromMs);
        const std::optional<double> rate = steadyRate(polls);
        if (!start || !end || !rate) {
            figures.failures.emplace_back("no true crossings or too few polls");
            return;
        }
        const double truth = *end - *start;
        figures.exchangeMs.insert(figures.exchangeMs.end(), exchanges.begin(), exchanges.end());
        figures.perSecond.push_back(*rate);
        figures.requiredErrorMs.push_back(result.durationMs - truth);
        if (sampler.crossings().valid()) {
            figures.interpolatedErrorMs.push_back(sampler.crossings().durationMs() - truth);
        }
    }

private:
    sim::SimulatedEcu& simulator;
    ecu::EcuSession& session;
    const Attachment& attachment;
    platform::Clock& clock;
};

}  // namespace

std::optional<double> firstRisingAfter(const std::vector<sim::Crossing>& seen, double level,
                                       double fromMs) {
    for (const sim::Crossing& c : seen) {
        if (c.level == level && c.rising && c.atMs >= fromMs) {
            return c.atMs;
        }
    }
    return std::nullopt;
}

ServedAdapter serveThrough(sim::SimulatedEcu& ecu, platform::Clock& clock, const Adapter& adapter) {
    ServedAdapter served;
    if (adapter.usbLatencyMs == 0) {
        served.server = std::make_unique<sim::PtyServer>(ecu, sim::PtyServer::Options{true, {}});
        return served;
    }
    // The chip paces the K-line bytes itself as they reach it; the pseudo-terminal
    // passes on what the chip releases.
    served.chip = std::make_unique<sim::UsbAdapterLine>(
        ecu, clock, static_cast<int>(adapter.usbLatencyMs), true);
    served.server =
        std::make_unique<sim::PtyServer>(*served.chip, sim::PtyServer::Options{false, {}});
    return served;
}

RunUpFigures measureRunUps(const Adapter& adapter, int runs, std::mt19937_64& random) {
    RunUpFigures figures;
    platform::RealClock clock;
    sim::SimulatedEcuOptions options;
    options.scenario = sim::Scenario::runup;
    sim::SimulatedEcu simulator(clock, options);
    const ServedAdapter served = serveThrough(simulator, clock, adapter);
    sim::PtyServer* server = served.server.get();
    if (!server->open()) {
        figures.unavailable = server->error();
        return figures;
    }
    server->start();
    const Attachment attachment(server->slavePath(), clock);
    ecu::EcuSession session;
    if (session.connect() == ecu::ServiceResult::failed || session.connected() == 0) {
        figures.unavailable = "the simulated ECU does not answer";
        return figures;
    }
    simulator.watch(sim::Quantity::engineSpeed, startRpm);
    simulator.watch(sim::Quantity::engineSpeed, endRpm);
    std::uniform_real_distribution<double> phase(0, runUpPhaseSpanMs);
    RunUp runUp(simulator, session, attachment, clock);
    for (int i = 0; i < runs; ++i) {
        if (engineAtRest(simulator)) {
            runUp.run(phase(random), figures);
        } else {
            figures.failures.emplace_back("the engine did not come back to idle");
        }
    }
    session.disconnect();
    server->stop();
    return figures;
}

}  // namespace ecuprobe::bench
