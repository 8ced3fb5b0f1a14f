#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <vector>

#include "answering_peer.h"
#include "console/tester_panel.h"
#include "link/frame_exchange.h"
#include "platform/clock.h"
#include "platform/in_memory_serial_device.h"
#include "platform/port_map.h"
#include "scripted_prompts.h"
#include "session_probe.h"

namespace ecuprobe::console::testing {

using ecuprobe::testing::answerFrame;
using ecuprobe::testing::Bytes;
using ecuprobe::testing::unescapePayload;

// The adapter and a small ECU for the console: it echoes every byte, records each
// request frame as written and answers by the command byte. Answers are framed
// here on their own, so a framing fault in the tester cannot hide in them.
class ConsoleEcu final : public ecuprobe::testing::AnsweringPeer {
public:
    // Raw request frames since the last clear, terminator included.
    std::vector<Bytes> frames;
    // Request commands (first payload byte) since the last clear.
    std::vector<std::uint8_t> commands() const;
    std::size_t count(std::uint8_t command) const;

    bool silent = false;
    // Commands that get no answer while the others do.
    std::set<std::uint8_t> ignored;
    std::uint8_t typeByte = 9;
    // Raw values by ECU variable number for the read command 0x61.
    std::map<std::uint8_t, std::uint16_t> variables;
    // Answer to the fault list request 0x02: count, then code and status pairs.
    Bytes faultList{0};
    // First answer byte to a write 0x62: 0 acknowledges.
    std::uint8_t writeAnswer = 0;
    // False while the adapter is pulled out.
    bool plugged = true;
    bool present() const override { return plugged; }

protected:
    void onRequest(const Bytes& wire, const Bytes& payload) override;

private:
    Bytes liveAnswer(const Bytes& payload) const;
};

// Wire frames of the requests the console sends, written out by hand.
namespace wire {
inline const Bytes identify{0x01, 0xFF, 0x0D};
inline const Bytes selectStandardSet{0x64, 0x20, 0x7C, 0x0D};
inline const Bytes checkLink{0x63, 0x9D, 0x0D};
inline const Bytes readFaults{0x02, 0xFE, 0x0D};
inline const std::vector<Bytes> releaseAll{
    {0x62, 0x09, 0x00, 0x95, 0x0D},       {0x62, 0x0A, 0x00, 0x94, 0x0D},
    {0x62, 0x0B, 0x00, 0x93, 0x0D},       {0x62, 0x0C, 0x00, 0x92, 0x0D},
    {0x62, 0x40, 0xCD, 0x00, 0x91, 0x0D}, {0x62, 0x0E, 0x00, 0x90, 0x0D}};
}  // namespace wire

// The process-wide link on an in-memory line to ConsoleEcu, on virtual time,
// with a panel polled by a ManualTimer. The link, exchangeBusy and the chosen
// port are process-wide: every test leaves them closed and clear.
class PanelTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // "Начать" against an answering ECU, then forgets the requests it sent.
    void startConnected();
    void tick();
    PanelSnapshot shown() const { return panel->snapshot(); }
    ecu::EcuSession& session() { return panel->ecuSession(); }

    link::FrameExchange& link = link::processLink();
    platform::FakeClock clock;
    ConsoleEcu peer;
    platform::InMemorySerialDevice device{clock, peer};
    platform::PortMap ports;
    ManualTimer timer;
    ecuprobe::testing::ScriptedPrompts prompts;
    std::optional<TesterPanel> panel;
};

}  // namespace ecuprobe::console::testing
