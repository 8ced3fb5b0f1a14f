#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "console/measured_form.h"
#include "report_test_support.h"
#include "scripted_ecu.h"
#include "scripted_prompts.h"

namespace ecuprobe::console::testing {

using ecu::testing::Bytes;
using ecu::testing::testDataSet;
using reports::testing::fileBytes;

// The forms on a scripted ECU whose n-th answer to 0x63 is answer(n), in a scratch
// folder for the files.
class TestForms : public ecu::testing::SessionTest {
protected:
    void SetUp() override {
        SessionTest::SetUp();
        scratch.emplace();
        folder = scratch->path;
        openConnected();
        stateOf(session).identity.hasSpeedSensor = 1;
        stateOf(session).identity.equipmentRead = true;
        ecu.reply = [this](const Bytes& payload) -> std::optional<Bytes> {
            return payload[0] == 0x63 ? answer(polls++) : Bytes{0x00};
        };
        reports::currentDumpPath = (folder / "car.tdm").string();
        prompts.comments = {std::nullopt};
    }
    void TearDown() override {
        ecu::exchangeBusy = 0;
        reports::currentDumpPath.clear();
        scratch.reset();
        SessionTest::TearDown();
    }

    TestRun run(MeasuredForm& form) {
        measure::TestSampler sampler(session);
        return form.run(sampler);
    }
    std::string dump() const { return fileBytes(folder / "car.tdm"); }
    std::string text(const MeasuredForm& form, ControlId id) const {
        for (const auto& [control, value] : form.resultTexts()) {
            if (control == id) {
                return value;
            }
        }
        return "(none)";
    }

    std::optional<reports::testing::ScratchFolder> scratch;
    std::filesystem::path folder;
    std::function<std::optional<Bytes>(int)> answer;
    int polls = 0;
    ecuprobe::testing::ScriptedPrompts prompts;
};

// Armed at 2000 rpm on the first answer after the first look, ended at 5600 on the next.
inline void runUp(std::function<std::optional<Bytes>(int)>& script) {
    script = [](int n) -> std::optional<Bytes> {
        if (n == 0) {
            return testDataSet(1200, 10);
        }
        return n == 1 ? testDataSet(2000, 12) : testDataSet(5600, 30, 131, 200, 800);
    };
}

}  // namespace ecuprobe::console::testing
