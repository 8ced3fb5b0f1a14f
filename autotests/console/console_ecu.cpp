#include "console_ecu.h"

#include "process_link.h"

#include <algorithm>

namespace ecuprobe::console::testing {

namespace {

constexpr std::uint8_t readVariables = 0x61;

// Variable 0x01 is the first two of the six equipment bytes that 1..5 answer.
bool isTwoBytes(std::uint8_t variable) {
    return variable == 0x3F || variable == 0x21 || variable == 0x40 || variable == 0x23 ||
           variable == 0x01;
}

}  // namespace

std::vector<std::uint8_t> ConsoleEcu::commands() const {
    std::vector<std::uint8_t> all;
    for (const Bytes& frame : frames) {
        all.push_back(frame.front());
    }
    return all;
}

std::size_t ConsoleEcu::count(std::uint8_t command) const {
    const std::vector<std::uint8_t> all = commands();
    return static_cast<std::size_t>(std::count(all.begin(), all.end(), command));
}

void ConsoleEcu::onRequest(const Bytes& wire, const Bytes& payload) {
    frames.push_back(wire);
    if (silent || payload.empty() || ignored.contains(payload.front())) {
        return;
    }
    Bytes data;
    switch (payload.front()) {
        case 0x01:
            data = {typeByte};
            break;
        case 0x02:
            data = faultList;
            break;
        case readVariables:
            data = liveAnswer(payload);
            break;
        case 0x62:
            data = {writeAnswer};
            break;
        default:
            data = {0x00};
            break;
    }
    answerWith(data);
}

Bytes ConsoleEcu::liveAnswer(const Bytes& payload) const {
    Bytes data;
    for (std::size_t i = 1; i < payload.size(); ++i) {
        const auto found = variables.find(payload[i]);
        const std::uint16_t value = found == variables.end() ? 0 : found->second;
        data.push_back(static_cast<std::uint8_t>(value & 0xFF));
        if (isTwoBytes(payload[i])) {
            data.push_back(static_cast<std::uint8_t>(value >> 8));
        }
    }
    return data;
}

void PanelTest::SetUp() {
    ecuprobe::testing::attachProcessLink(device, clock, ports);
    // Outputs the ECU reports on: fuel pump and both coils (flag byte C, variable 0x09).
    peer.variables[0x09] = 0x38;
    panel.emplace(timer, prompts);
}

void PanelTest::TearDown() {
    panel.reset();
    ecuprobe::testing::detachProcessLink();
}

void PanelTest::startConnected() {
    panel->onStart();
    ASSERT_EQ(session().connected(), 1);
    peer.frames.clear();
}

void PanelTest::tick() {
    ASSERT_TRUE(timer.fire());
}

}  // namespace ecuprobe::console::testing
