#pragma once

#include <optional>
#include <string>
#include <utility>

#include "console/measured_form.h"
#include "platform/in_memory_serial_device.h"
#include "process_link.h"
#include "scripted_prompts.h"
#include "sim/simulated_ecu.h"

namespace ecuprobe::testing {

// A standing run-up on the simulated car (the scenario is set here), its report
// saved as "Сохранить" does: the sample file to the current folder, the report to
// reports::currentDumpPath, with the comment typed (none: the comment refused).
// Gives what went wrong, or nothing when the run was measured and saved; the
// process link is left closed either way.
inline std::string saveRunUpOnTheSimulator(sim::SimulatedEcuOptions car,
                                           std::optional<std::string> comment) {
    platform::FakeClock clock;
    car.scenario = sim::Scenario::runup;
    sim::SimulatedEcu simulator(clock, car);
    platform::InMemorySerialDevice device(clock, simulator);
    const platform::PortMap ports;
    attachProcessLink(device, clock, ports);
    ecu::chosenPortNumber = 2;
    std::string problem;
    {
        ecu::EcuSession session;
        if (session.connect() != ecu::ServiceResult::done) {
            problem = "the simulated ECU did not connect";
        } else {
            ScriptedPrompts prompts;
            prompts.comments = {std::move(comment)};
            console::MeasuredForm form(console::dynamicRun, session, prompts);
            measure::TestSampler sampler(session);
            const console::TestRun run = form.run(sampler);
            if (run.result != measure::SampleResult::Ok) {
                problem = "the run-up was not measured";
            } else if (run.report != reports::ReportOutcome::saved) {
                problem = "the run-up's report was not saved";
            }
        }
    }
    detachProcessLink();
    return problem;
}

}  // namespace ecuprobe::testing
