#include "sim/trace_replay.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "ecu/ecu_session.h"
#include "endless_text.h"
#include "platform/in_memory_serial_device.h"
#include "platform/port_map.h"
#include "platform/wire_trace.h"
#include "process_link.h"
#include "sim/fault_rule_text.h"
#include "sim/simulated_ecu.h"

namespace ecuprobe::sim {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::vector<RecordedExchange> exchangesOf(const std::string& trace) {
    std::istringstream in(trace);
    const platform::ParsedTrace parsed = platform::readWireTrace(in);
    EXPECT_TRUE(parsed.problems.empty());
    return recordedExchanges(parsed.lines);
}

// Endless input ends in bounded memory: a recording is cut at its traffic limit
// and replayed, input that is no trace is refused.
TEST(RecordedExchanges, EndlessInputEndsAtItsLimits) {
    RecordingLimits limits;
    limits.reader.badLines = 5;
    limits.trafficBytes = 600;
    const struct {
        const char* repeated;
        std::size_t exchanges;
        const char* told;
        bool notATrace;
    } cases[] = {
        // A link check and its answer: 6 bytes of traffic an exchange.
        {" 1 TX   63 9D 0D\n 2 RX   00 00 0D\n", 100,
         "more than 600 bytes of traffic: the rest is left unread", false},
        {"not a trace\n", 0, "more than 5 bad lines: this is no wire trace, reading stopped", true},
    };
    for (const auto& c : cases) {
        ecuprobe::testing::EndlessText source(c.repeated);
        std::istream in(&source);
        const TraceRecording recording = recordTrace(in, limits);
        EXPECT_EQ(recording.exchanges.size(), c.exchanges) << c.repeated;
        EXPECT_EQ(recording.stopMessage, c.told);
        EXPECT_EQ(recording.notATrace, c.notATrace);
    }
}

TEST(RecordedExchanges, EachRequestKeepsWhatCameBackUntilTheNextWithItsDelays) {
    // As the tester traces: a frame per TX line, the echo, then received bytes one by one.
    const std::string tester =
        "  90 RX   55\n"
        " 100 TX   01 FF 0D\n"
        " 103 ECHO 01 FF 0D\n"
        " 104 RX   09\n"
        " 105 RX   F7\n"
        " 106 RX   0D\n"
        " 120 TX   64 20 7C 0D\n"
        " 123 ECHO 64 20 7C 0D\n"
        " 400 --   Ошибка Cant read all bytes from COM in WriteBytes().\n"
        " 500 TX   62 40 CD 00 91 0D\n"
        " 503 ECHO 62 40\n";
    const std::vector<RecordedExchange> expected{
        {{0x01}, {{3, 0x01}, {3, 0xFF}, {3, 0x0D}, {4, 0x09}, {5, 0xF7}, {6, 0x0D}}},
        {{0x64, 0x20}, {{3, 0x64}, {3, 0x20}, {3, 0x7C}, {3, 0x0D}}},
        {{0x62, 0x0D, 0x00}, {{3, 0x62}, {3, 0x40}}},
    };
    EXPECT_EQ(exchangesOf(tester), expected);

    // As the simulator traces: what the tester wrote in the pieces it arrived in,
    // the echo of each piece at once, the answer in one piece.
    const std::string simulator =
        "  10 TX   62 09\n"
        "  10 ECHO 62 09\n"
        "  11 TX   00 95 0D\n"
        "  11 ECHO 00 95 0D\n"
        "  15 RX   00 FF 0D\n";
    const std::vector<RecordedExchange> pieces{
        {{0x62, 0x09, 0x00},
         {{0, 0x62}, {0, 0x09}, {0, 0x00}, {0, 0x95}, {0, 0x0D}, {4, 0x00}, {4, 0xFF}, {4, 0x0D}}},
    };
    EXPECT_EQ(exchangesOf(simulator), pieces);
}

class ReplayLine : public ::testing::Test {
protected:
    // What reaches the tester by now.
    Bytes due() {
        Bytes got(512);
        got.resize(replay.toTester(got.data(), got.size()));
        return got;
    }

    Bytes ask(const Bytes& wire, std::uint32_t waitMs) {
        replay.fromTester(wire);
        Bytes got = due();
        clock.advance(waitMs);
        const Bytes later = due();
        got.insert(got.end(), later.begin(), later.end());
        return got;
    }

    platform::FakeClock clock{5000};
    std::vector<std::string> notices;
    TraceReplay replay{
        clock,
        {
            {{0x01}, {{0, 0x01}, {0, 0xFF}, {0, 0x0D}, {8, 0x09}, {9, 0xF7}, {9, 0x0D}}},
            {{0x63}, {{0, 0x63}, {0, 0x9D}, {0, 0x0D}}},
            {{0x01}, {{0, 0x01}, {0, 0xFF}, {0, 0x0D}, {8, 0x0A}, {8, 0xF6}, {8, 0x0D}}},
        },
        [this](const std::string& text) { notices.push_back(text); }};
};

TEST_F(ReplayLine, EachRequestGetsTheNextRecordedReplyToItAtItsDelays) {
    EXPECT_EQ(replay.exchangeCount(), 3u);
    EXPECT_EQ(replay.requestCount(), 2u);
    replay.fromTester(Bytes{0x01, 0xFF, 0x0D});
    EXPECT_EQ(due(), (Bytes{0x01, 0xFF, 0x0D}));
    clock.advance(7);
    EXPECT_EQ(due(), Bytes{});
    clock.advance(2);
    EXPECT_EQ(due(), (Bytes{0x09, 0xF7, 0x0D}));

    EXPECT_EQ(ask({0x63, 0x9D, 0x0D}, 50), (Bytes{0x63, 0x9D, 0x0D}));
    EXPECT_EQ(ask({0x01, 0xFF, 0x0D}, 50), (Bytes{0x01, 0xFF, 0x0D, 0x0A, 0xF6, 0x0D}));
    // The recording has run out for 0x01: its last reply again.
    EXPECT_EQ(ask({0x01, 0xFF, 0x0D}, 50), (Bytes{0x01, 0xFF, 0x0D, 0x0A, 0xF6, 0x0D}));
    EXPECT_TRUE(notices.empty());
}

TEST_F(ReplayLine, WhatTheRecordingNeverShowsIsEchoedAndLeftUnanswered) {
    EXPECT_EQ(ask({0x02, 0xFE, 0x0D}, 300), (Bytes{0x02, 0xFE, 0x0D}));
    EXPECT_EQ(ask({0x02, 0xFE, 0x0D}, 300), (Bytes{0x02, 0xFE, 0x0D}));
    EXPECT_EQ(notices,
              std::vector<std::string>{"request 02 is not in the trace: echoed, not answered"});
    // A frame with a bad sum is no request, yet its bytes come back as from any adapter.
    EXPECT_EQ(ask({0x01, 0x00, 0x0D}, 300), (Bytes{0x01, 0x00, 0x0D}));
}

TEST_F(ReplayLine, ANewRequestDropsWhatWasLeftOfTheLastReply) {
    replay.fromTester(Bytes{0x01, 0xFF, 0x0D});
    EXPECT_EQ(due(), (Bytes{0x01, 0xFF, 0x0D}));
    EXPECT_EQ(ask({0x63, 0x9D, 0x0D}, 50), (Bytes{0x63, 0x9D, 0x0D}));
}

// What the tester made of a session at the car, and again of its replay at the desk.
struct SessionView {
    std::string status;
    std::uint32_t freq = 0;
    std::int16_t twat = 0;
    std::string faults;
    bool handedBack = false;

    bool operator==(const SessionView&) const = default;
};

SessionView runSession(platform::FakeClock& clock, platform::WirePeer& line,
                       platform::WireTrace* trace) {
    platform::InMemorySerialDevice device{clock, line};
    const platform::PortMap ports;
    ecuprobe::testing::attachProcessLink(device, clock, ports);
    link::processLink().setTrace(trace);
    SessionView view;
    {
        ecu::EcuSession session;
        session.connect();
        session.readLiveData();
        view = {session.statusText(), session.liveData().FREQ, session.liveData().TWAT, {}, false};
        session.faultListShort(view.faults);
        session.disconnect();
        view.handedBack = session.lastHandBack().complete();
    }
    link::processLink().setTrace(nullptr);
    ecuprobe::testing::detachProcessLink();
    return view;
}

TEST(TraceReplaySession, ASessionTracedAtTheCarPlaysBackTheSameAtTheDesk) {
    platform::FakeClock carClock(1000);
    SimulatedEcuOptions car;
    car.typeByte = mikas71Type;
    car.faults = {{13, 0x20}, {131, 0x60}};
    SimulatedEcu ecu(carClock, car);
    // One write refused at the car: the replay must refuse it too.
    ecu.addFault(parseFaultRule("refuse:cmd=0x62,once").value());
    std::ostringstream traced;
    platform::WireTrace trace(traced, carClock);
    const SessionView atTheCar = runSession(carClock, ecu, &trace);
    EXPECT_EQ(atTheCar.status, "ЭБУ Микас 7.1. ");
    EXPECT_EQ(atTheCar.faults, " 013:20, 131:60,");

    std::istringstream in(traced.str());
    const platform::ParsedTrace parsed = platform::readWireTrace(in);
    EXPECT_TRUE(parsed.problems.empty());
    platform::FakeClock deskClock(77);
    TraceReplay replay(deskClock, recordedExchanges(parsed.lines));
    EXPECT_EQ(runSession(deskClock, replay, nullptr), atTheCar);
}

}  // namespace
}  // namespace ecuprobe::sim
