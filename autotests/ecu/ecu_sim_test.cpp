#include <gtest/gtest.h>

#include <cmath>

#include "ecu/ecu_session.h"
#include "link/frame_exchange.h"
#include "measure/run_sampler.h"
#include "platform/clock.h"
#include "platform/in_memory_serial_device.h"
#include "platform/port_map.h"
#include "process_link.h"
#include "session_probe.h"
#include "sim/simulated_ecu.h"
#include "sim/usb_adapter_line.h"

namespace ecuprobe::ecu {
namespace {

// The session against the simulated ECU on virtual time, through the process link.
class SessionOnSimulator : public ::testing::Test {
protected:
    void SetUp() override { ecuprobe::testing::attachProcessLink(device, clock, ports); }
    void TearDown() override { ecuprobe::testing::detachProcessLink(); }

    static sim::SimulatedEcuOptions withFaults() {
        sim::SimulatedEcuOptions options;
        options.typeByte = sim::mikas71Type;
        options.faults = {{13, 0x20}, {131, 0x60}};
        return options;
    }

    link::FrameExchange& link = link::processLink();
    platform::FakeClock clock;
    sim::SimulatedEcu ecu{clock, withFaults()};
    platform::InMemorySerialDevice device{clock, ecu};
    platform::PortMap ports;
    EcuSession session;
};

TEST_F(SessionOnSimulator, ConnectIdentifiesTheEcuAndReadsItsFaults) {
    ASSERT_EQ(session.connect(), ecu::ServiceResult::done);
    EXPECT_EQ(session.connected(), 1);
    EXPECT_EQ(session.statusText(), "ЭБУ Микас 7.1. ");
    EXPECT_EQ(session.identity().ecuName, "Микас 7.1");
    std::string text;
    session.faultListShort(text);
    EXPECT_EQ(text, " 013:20, 131:60,");
}

TEST_F(SessionOnSimulator, LiveDataFollowsTheEngine) {
    ASSERT_EQ(session.connect(), ecu::ServiceResult::done);
    ASSERT_EQ(session.readLiveData(), ecu::ReadResult::read);
    const sim::EngineTruth truth = ecu.truth();
    const LiveData& live = session.liveData();
    EXPECT_NEAR(live.FREQ, truth.rpm, 40.0);
    EXPECT_NEAR(live.TWAT, truth.coolantC, 1.0);
    EXPECT_NEAR(live.TAIR, truth.intakeAirC, 1.0);
    EXPECT_NEAR(live.NUACC, truth.supplyV, 0.1);
    EXPECT_NEAR(live.FREQXX, truth.idleSetpointRpm, 10.0);
    EXPECT_EQ(live.BITSTP, truth.running ? 0 : 1);
    EXPECT_EQ(live.fuelPumpOn, truth.fuelPumpOn ? 1 : 0);
}

TEST_F(SessionOnSimulator, ClearedFaultsReadBackAsNone) {
    ASSERT_EQ(session.connect(), ecu::ServiceResult::done);
    session.clearFaults();
    EXPECT_TRUE(ecu.storedFaults().empty());
    EXPECT_EQ(ecu.controls().faultClears, 1);
    session.readFaults();
    std::string text;
    session.faultListShort(text);
    EXPECT_EQ(text, "*** Нет Ошибок ***");
}

TEST_F(SessionOnSimulator, InjectorCutReachesTheEcuAndReleaseHandsItBack) {
    ASSERT_EQ(session.connect(), ecu::ServiceResult::done);
    std::int32_t state = 1;
    session.switchInjector(2, state);
    EXPECT_EQ(state, 0);
    EXPECT_EQ(ecu.controls().injectorCut, 0x02);
    session.releaseControls();
    EXPECT_EQ(ecu.controls().injectorCut, 0);
}

TEST_F(SessionOnSimulator, RefusedWriteLeavesTheSwitchAsItWas) {
    ASSERT_EQ(session.connect(), ecu::ServiceResult::done);
    ecu.addFault({sim::FaultKind::refusedWrite, {}, 0});
    std::int32_t state = 1;
    session.switchOutput(Output::coil14, state);
    EXPECT_EQ(state, 1);
    EXPECT_EQ(session.liveData().coil14On, 1);
}

TEST_F(SessionOnSimulator, LostEcuResetsTheSessionAndIsFoundAgain) {
    ASSERT_EQ(session.connect(), ecu::ServiceResult::done);
    ecu.setSilent(true);
    EXPECT_EQ(session.readLiveData(), ecu::ReadResult::failed);
    EXPECT_EQ(session.statusText(), "*** Нет связи");
    EXPECT_EQ(session.identifyEcuType(), ecu::ServiceResult::failed);
    ecu.setSilent(false);
    EXPECT_EQ(session.identifyEcuType(), ecu::ServiceResult::done);
    EXPECT_EQ(session.checkLink(), ecu::ServiceResult::done);
}

// Each line fault leaves its own cause behind, the same on every try.
TEST_F(SessionOnSimulator, AnUnansweredConnectionNamesWhatTheLineDid) {
    const struct {
        sim::FaultKind fault;
        SilenceCause cause;
    } cases[] = {
        {sim::FaultKind::silence, SilenceCause::ecuSilent},
        {sim::FaultKind::badChecksum, SilenceCause::ecuSilent},
        {sim::FaultKind::missingEcho, SilenceCause::adapterWithoutEcho},
        {sim::FaultKind::shortEcho, SilenceCause::noEcho},
        {sim::FaultKind::garbage, SilenceCause::lineNoise},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.fault));
        ecu.clearFaultRules();
        ecu.addFault({c.fault, {}, 0});
        for (int attempt = 0; attempt < 3; ++attempt) {
            session.connect();
            EXPECT_EQ(session.connected(), 0);
            EXPECT_EQ(session.silenceCause(), c.cause);
            link.close();
        }
    }
}

TEST_F(SessionOnSimulator, IdleSpeedSetPointShowsInALaterRead) {
    ASSERT_EQ(session.connect(), ecu::ServiceResult::done);
    std::uint32_t rpm = 900;
    session.setIdleSpeed(rpm);
    clock.advance(1000);
    ASSERT_EQ(session.readLiveData(), ecu::ReadResult::read);
    EXPECT_EQ(session.liveData().FREQXX, 900u);
}

TEST_F(SessionOnSimulator, StoredRcokOutlivesARestartAnUnstoredRcodDoesNot) {
    ASSERT_EQ(session.connect(), ecu::ServiceResult::done);
    float rcok = -0.25f;
    float rcod = -0.125f;
    EXPECT_EQ(session.setRcok(rcok), -0.25f);
    EXPECT_EQ(session.storeRcok(), -0.25f);
    EXPECT_EQ(session.setRcod(rcod), -0.125f);
    ecu.restart();
    stateOf(session).liveData.slowCountdown = 0;
    ASSERT_EQ(session.readLiveData(), ecu::ReadResult::read);
    EXPECT_EQ(session.liveData().RCOK, -0.25f);
    EXPECT_EQ(session.liveData().RCOD, 0.0f);
    EXPECT_EQ(ecu.controls().overrideFlags0C, 0);
}

TEST_F(SessionOnSimulator, IdentificationReadsThePassportsAndTheEquipmentOfThisRun) {
    ecu.setEquipment({0x41, 0x00, 0x00, 0x00, 0x00, 0x02});
    ASSERT_EQ(session.connect(), ecu::ServiceResult::done);
    ASSERT_EQ(session.readIdentity(), ecu::ServiceResult::done);
    EXPECT_EQ(session.identity().programPassport,
              "МИКАС 7.1 ЗМЗ406\r\nПрогр. М71-2.03\r\nЕвро-2, 4 цил.\r\n");
    EXPECT_EQ(session.identity().engineNumber, "ЗМЗ4062 №1034917");
    std::string equipment;
    EXPECT_EQ(session.readEquipment(equipment), ecu::ServiceResult::done);
    EXPECT_EQ(equipment, "постоянное питание блока, \r\nдатчик скорости, \r\nклапаном ПРЗ, ");
    EXPECT_EQ(session.identity().hasSpeedSensor, 1);
}

// An FTDI adapter holds every byte, echo and answer alike, for up to its latency
// timer: the echo misses its window and comes with the answer.
class SessionBehindUsbAdapter : public SessionOnSimulator,
                                public ::testing::WithParamInterface<int> {
protected:
    SessionBehindUsbAdapter() { device.setPeer(usb); }

    sim::UsbAdapterLine usb{ecu, clock, GetParam(), true};
};

TEST_P(SessionBehindUsbAdapter, EveryServiceGivesTheEcusValues) {
    ecu.setEquipment({0x41, 0x00, 0x00, 0x00, 0x00, 0x02});
    ASSERT_EQ(session.connect(), ecu::ServiceResult::done);
    EXPECT_EQ(session.statusText(), "ЭБУ Микас 7.1. ");
    std::string text;
    session.faultListShort(text);
    EXPECT_EQ(text, " 013:20, 131:60,");
    ASSERT_EQ(session.readLiveData(), ecu::ReadResult::read);
    EXPECT_NEAR(session.liveData().TWAT, ecu.truth().coolantC, 1.0);
    ASSERT_EQ(session.readIdentity(), ecu::ServiceResult::done);
    EXPECT_EQ(session.identity().engineNumber, "ЗМЗ4062 №1034917");
    EXPECT_EQ(session.readEquipment(text), ecu::ServiceResult::done);
    EXPECT_EQ(text, "постоянное питание блока, \r\nдатчик скорости, \r\nклапаном ПРЗ, ");
    measure::TestSampler sampler(session);
    measure::TestSample sample;
    ASSERT_EQ(sampler.requestSample(), measure::SampleRequest::answered);
    sampler.fillSample(sample);
    EXPECT_NEAR(sample.freq, ecu.truth().rpm, 80.0);
    sampler.endSampling();
    exchangeBusy = 0;
    std::int32_t state = 1;
    session.switchInjector(2, state);
    EXPECT_EQ(ecu.controls().injectorCut, 0x02);
    session.releaseControls();
    EXPECT_TRUE(session.lastHandBack().complete());
    EXPECT_EQ(ecu.controls().injectorCut, 0);
}

INSTANTIATE_TEST_SUITE_P(LatencyTimers, SessionBehindUsbAdapter, ::testing::Values(16, 40, 100),
                         [](const auto& testCase) {
                             return std::to_string(testCase.param) + "ms";
                         });

}  // namespace
}  // namespace ecuprobe::ecu
