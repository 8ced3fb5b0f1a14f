// How fast the measured tests sample over a paced line, and how close their
// durations come to the truth: a dynamic test run against the simulated run-up,
// served on a pseudo-terminal at 9600 bit/s, in real time.
#include <cstdio>
#include <vector>

#include "ecu/ecu_session.h"
#include "link/device_attachment.h"
#include "measure/run_sampler.h"
#include "platform/clock.h"
#include "sim/pty_server.h"
#include "sim/simulated_ecu.h"

namespace {

using namespace ecuprobe;

// One sample: 50 ms paced, then the request 63 9D 0D and the seven data bytes of
// the answer with its checksum and terminator, 10 bits a byte at 9600 bit/s.
constexpr double pacingMs = 50;
constexpr double byteMs = 10.0 / 9.6;
constexpr double lineLimitPerSecond = 1000.0 / (pacingMs + (3 + 9) * byteMs);

double truthAt(const std::vector<sim::Crossing>& seen, double level) {
    for (const sim::Crossing& c : seen) {
        if (c.level == level && c.rising) {
            return c.atMs;
        }
    }
    return 0;
}

}  // namespace

int main() {
    platform::RealClock clock;
    sim::SimulatedEcuOptions options;
    options.scenario = sim::Scenario::runup;
    sim::SimulatedEcu simulator(clock, options);
    sim::PtyServer server(simulator, {true, {}});
    if (!server.open()) {
        std::fprintf(stderr, "sampling_bench: %s\n", server.error().c_str());
        return 1;
    }
    server.start();
    platform::PortMap ports;
    ports.setPath(0, server.slavePath());
    link::DeviceAttachment attachment(ports, std::string());
    ecu::EcuSession session;
    ecu::chosenPortNumber = 2;
    if (session.connect() == ecu::ServiceResult::failed || session.connected() == 0) {
        std::fprintf(stderr, "sampling_bench: the simulated ECU does not answer\n");
        return 1;
    }
    constexpr int startRpm = 2000;
    constexpr int endRpm = 5500;
    simulator.watch(sim::Quantity::engineSpeed, startRpm);
    simulator.watch(sim::Quantity::engineSpeed, endRpm);
    std::vector<measure::TestSample> samples(measure::TestSampler::bufferSize);
    measure::TestSampler sampler(session);
    measure::TestResult result;
    result.startLimit = startRpm;
    result.endLimit = endRpm;
    int answers = 0;
    sampler.onProgress([&answers](const measure::SampleProgress& p) { answers = p.samples; });
    const std::uint32_t begin = clock.tickMs();
    const measure::SampleResult outcome = sampler.runRpmRise(result, samples);
    const double runMs = clock.tickMs() - begin;
    session.disconnect();
    server.stop();
    if (outcome != measure::SampleResult::Ok) {
        std::fprintf(stderr, "sampling_bench: the run ended %s\n",
                     std::string(measure::sampleResultName(outcome)).c_str());
        return 1;
    }
    const auto seen = simulator.crossings();
    const double truth = truthAt(seen, endRpm) - truthAt(seen, startRpm);
    const double perSecond = answers * 1000.0 / runMs;
    std::printf("samples per second:          %.2f (line limit %.2f, %.0f%%)\n", perSecond,
                lineLimitPerSecond, 100.0 * perSecond / lineLimitPerSecond);
    std::printf("true run-up 2000-5500 rpm:   %.1f ms\n", truth);
    std::printf("measured duration:           %u ms (error %+.1f ms)\n", result.durationMs,
                result.durationMs - truth);
    std::printf("interpolated duration:       %.1f ms (error %+.1f ms)\n",
                sampler.crossings().durationMs(), sampler.crossings().durationMs() - truth);
    return 0;
}
