// A stop that comes in the pause right before a write the ECU keeps (a set, a
// store, a reset, the fault clearing, a switch), or while the record of what the
// tester may hold is saved for it, keeps that write off the line; the hand-back
// still goes out.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "case_names.h"
#include "console/control_parameter_form.h"
#include "ecu/ecu_session.h"
#include "process_link.h"
#include "scripted_ecu.h"
#include "scripted_prompts.h"

namespace ecuprobe::ecu::testing {
namespace {

using ecuprobe::case_names::PrintTo;

// Virtual time whose pauses raise the stop once the ECU has taken a given
// number of requests: the signal that comes while the tester waits to write.
class StoppingClock final : public platform::Clock {
public:
    explicit StoppingClock(const ScriptedEcu& line) : ecu(line) {}

    std::uint32_t tickMs() override { return fake.tickMs(); }
    void sleepMs(std::uint32_t ms) override {
        stopped = stopped || (armed && ecu.sent.size() >= stopAfterRequests);
        fake.sleepMs(ms);
    }
    std::time_t calendarNow() override { return fake.calendarNow(); }

    bool armed = false;
    std::size_t stopAfterRequests = 0;
    bool stopped = false;

private:
    platform::FakeClock fake;
    const ScriptedEcu& ecu;
};

// The record of what the tester may hold, whose save the stop comes in the middle
// of (a slow disk's fsync).
class StoppingStore final : public OwedStore {
public:
    Loaded load(const std::string& port) override { return memory.load(port); }
    OwedControls peek(const std::string& port) override { return memory.peek(port); }
    std::string save(const std::string& port, const OwedControls& owed) override {
        stopped = stopped || armed;
        return memory.save(port, owed);
    }

    bool armed = false;
    bool stopped = false;

private:
    MemoryOwedStore memory;
};

struct Work {
    EcuSession& session;
    ecuprobe::testing::ScriptedPrompts& prompts;
};

struct StopCase {
    const char* name;
    std::size_t stopAfterRequests;
    std::function<void(Work)> operation;
    // The start of each request that went out: what the stop let through.
    std::vector<Bytes> sent;
    WriteReply lastWrite = WriteReply::withheld;
    bool inSave = false;  // the stop comes inside the record's save instead
};

template <typename Value, typename Result>
std::function<void(Work)> set(Result (EcuSession::*operation)(Value&), Value value) {
    return [operation, value](Work work) {
        Value copy = value;
        (work.session.*operation)(copy);
    };
}

std::function<void(Work)> switchFan() {
    return [](Work work) {
        const std::int32_t before = work.session.liveData().fanOn;
        std::int32_t state = before;
        work.session.switchOutput(Output::fan, state);
        EXPECT_EQ(state, before);
        EXPECT_EQ(stateOf(work.session).outputOverride, 0);
    };
}

class StopBeforeWrite : public ::testing::TestWithParam<StopCase> {
protected:
    void SetUp() override {
        ecuprobe::testing::attachProcessLink(device, clock, ports);
        ecu.reply = [](const Bytes& payload) {
            return std::optional<Bytes>(payload[0] == 0x62 ? Bytes{0x00} : Bytes{0x90});
        };
        chosenPortNumber = 2;
        ASSERT_EQ(link::processLink().open(2), link::OpenResult::opened);
        stateOf(session).connected = 1;
        stateOf(session).statusText = "ЭБУ Микас 5.4. ";
        stateOf(session).faultCount = 2;
        useOwedStore(&store);
        session.stopWhen([this] { return clock.stopped || store.stopped; });
    }
    void TearDown() override {
        useOwedStore(nullptr);
        ecuprobe::testing::detachProcessLink();
    }

    ScriptedEcu ecu{clock};
    StoppingClock clock{ecu};
    platform::InMemorySerialDevice device{clock, ecu};
    platform::PortMap ports;
    EcuSession session;
    ecuprobe::testing::ScriptedPrompts prompts;
    StoppingStore store;
};

TEST_P(StopBeforeWrite, SendsNothingButWhatCameBeforeTheStop) {
    clock.stopAfterRequests = GetParam().stopAfterRequests;
    clock.armed = !GetParam().inSave;
    store.armed = GetParam().inSave;
    GetParam().operation({session, prompts});
    EXPECT_TRUE(clock.stopped || store.stopped);
    const std::vector<Bytes> payloads = ecu.payloads();
    ASSERT_EQ(payloads.size(), GetParam().sent.size());
    for (std::size_t i = 0; i < payloads.size(); ++i) {
        const Bytes& start = GetParam().sent[i];
        EXPECT_TRUE(payloads[i].size() >= start.size() &&
                    std::equal(start.begin(), start.end(), payloads[i].begin()))
            << i;
    }
    EXPECT_EQ(session.lastWriteReply(), GetParam().lastWrite);
    // No failure text: the ECU refused nothing.
    EXPECT_EQ(session.statusText(), "ЭБУ Микас 5.4. ");
    EXPECT_TRUE(prompts.questions.empty());
    // A withheld write leaves nothing owed that was not owed before.
    if (GetParam().sent.empty()) {
        EXPECT_TRUE(session.owedControls().empty());
    }
}

const std::vector<Bytes> handBack{{0x62, 0x09, 0x00}, {0x62, 0x0A, 0x00}, {0x62, 0x0B, 0x00},
                                  {0x62, 0x0C, 0x00}, {0x62, 0x0D, 0x00}, {0x62, 0x0E, 0x00}};

using S = EcuSession;

std::vector<StopCase> keptWrites() {
    return {StopCase{"IdleStepper", 0, set(&S::setIdleStepper, 40u), {}},
            StopCase{"IdleSpeed", 0, set(&S::setIdleSpeed, 900u), {}},
            StopCase{"IgnitionCorrection", 0, set(&S::setIgnitionCorrection, 2.0f), {}},
            StopCase{"Rcod", 0, set(&S::setRcod, -0.1f), {}},
            StopCase{"Rcok", 0, set(&S::setRcok, -0.25f), {}},
            StopCase{"Egr", 0, set(&S::setEgrDegree, 30u), {}},
            StopCase{"CanisterPurge", 0, set(&S::setPurgeDegree, 30u), {}},
            StopCase{"StoreRcok", 0, [](Work w) { w.session.storeRcok(); }, {}},
            StopCase{"LambdaAdaptationReset",
                     0,
                     [](Work w) {
                         EXPECT_EQ(w.session.clearLambdaAdaptation(), ecu::ServiceResult::failed);
                     },
                     {}},
            StopCase{"KnockAdaptationReset",
                     0,
                     [](Work w) {
                         EXPECT_EQ(w.session.clearKnockAdaptation(), ecu::ServiceResult::failed);
                     },
                     {}},
            StopCase{"FaultClearing",
                     0,
                     [](Work w) {
                         w.session.clearFaults();
                         EXPECT_EQ(w.session.faultCount(), 2);
                     },
                     {}},
            StopCase{"InjectorCut",
                     0,
                     [](Work w) {
                         std::int32_t state = 1;
                         w.session.switchInjector(1, state);
                         EXPECT_EQ(state, 1);
                         EXPECT_EQ(stateOf(w.session).injectorCut, 0);
                     },
                     {}},
            StopCase{"Fan", 0, switchFan(), {}},
            // Switched off: 0x04 would go to the regulator register.
            StopCase{"KnockRegulator",
                     0,
                     [](Work w) {
                         std::int32_t state = 0;
                         w.session.switchKnockControl(state);
                         EXPECT_EQ(state, 0);
                     },
                     {}},
            // The set and its read-back went; the store question and the store do not follow.
            StopCase{"StoreAfterItsSet",
                     2,
                     [](Work w) {
                         console::ControlParameterForm form(w.session.liveData());
                         form.text(console::ParameterField::rcok) = "-0.25";
                         w.prompts.answers = {true};
                         form.apply(w.session, w.prompts);
                     },
                     {{0x62, 0x0C, 0x10, 0x42}, {0x61, 0x42}},
                     WriteReply::acknowledged},
            StopCase{"HandBackStillGoesOut", 0, [](Work w) { w.session.releaseControls(); },
                     handBack, WriteReply::acknowledged}};
}

// The same writes, each stopped inside the save that precedes it.
std::vector<StopCase> stoppedInsideTheSave() {
    std::vector<StopCase> cases;
    for (StopCase row : keptWrites()) {
        if (row.sent.empty()) {
            row.inSave = true;
            cases.push_back(row);
        }
    }
    return cases;
}

std::string caseName(const ::testing::TestParamInfo<StopCase>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(EveryKeptWrite, StopBeforeWrite, ::testing::ValuesIn(keptWrites()),
                         caseName);
INSTANTIATE_TEST_SUITE_P(InsideTheRecordSave, StopBeforeWrite,
                         ::testing::ValuesIn(stoppedInsideTheSave()), caseName);

}  // namespace
}  // namespace ecuprobe::ecu::testing
