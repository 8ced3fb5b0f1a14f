#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "answering_peer.h"
#include "ecu/ecu_session.h"
#include "link/frame_exchange.h"
#include "platform/clock.h"
#include "platform/in_memory_serial_device.h"
#include "platform/port_map.h"
#include "session_probe.h"

namespace ecuprobe::ecu::testing {

using ecuprobe::testing::answerFrame;
using ecuprobe::testing::Bytes;
using ecuprobe::testing::unescapePayload;

// One request as it went over the wire, with what the tester was doing then.
struct SentFrame {
    Bytes wire;
    Bytes payload;  // unescaped, without checksum and terminator
    std::uint32_t atMs;
    std::int32_t busy;  // exchangeBusy while it was sent
};

// The adapter and an ECU that answers each request frame through reply(payload);
// no value means silence.
class ScriptedEcu final : public ecuprobe::testing::AnsweringPeer {
public:
    explicit ScriptedEcu(platform::Clock& lineClock) : clock(lineClock) {}

    std::vector<Bytes> payloads() const;

    std::function<std::optional<Bytes>(const Bytes& payload)> reply;
    std::vector<SentFrame> sent;

protected:
    void onRequest(const Bytes& wire, const Bytes& payload) override;

private:
    platform::Clock& clock;
};

// The process-wide link attached to the scripted ECU on virtual time. The link,
// exchangeBusy and the chosen port are process-wide: every test leaves them closed and clear.
class SessionTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Opens the port and marks the session connected without any exchange.
    void openConnected();
    // The ECU answers every request with these data bytes.
    void answerAll(const Bytes& data);
    void staySilent() { ecu.reply = nullptr; }

    link::FrameExchange& link = link::processLink();
    platform::FakeClock clock;
    ScriptedEcu ecu{clock};
    platform::InMemorySerialDevice device{clock, ecu};
    platform::PortMap ports;
    EcuSession session;
};

// The test data set's answer: TWAT, FREQ, JAIR (2 bytes), JQT (2 bytes), SPD.
inline Bytes testDataSet(int rpm, int kmh = 0, int twatRaw = 130, int jqtRaw = 100,
                         int jairRaw = 250) {
    return {static_cast<std::uint8_t>(twatRaw),
            static_cast<std::uint8_t>(rpm / 40),
            static_cast<std::uint8_t>(jairRaw & 0xFF),
            static_cast<std::uint8_t>(jairRaw >> 8),
            static_cast<std::uint8_t>(jqtRaw & 0xFF),
            static_cast<std::uint8_t>(jqtRaw >> 8),
            static_cast<std::uint8_t>(kmh)};
}

}  // namespace ecuprobe::ecu::testing
