#include "console_ecu.h"

#include <algorithm>

namespace ecuprobe::console::testing {

namespace {

constexpr std::uint8_t readVariables = 0x61;

bool isTwoBytes(std::uint8_t variable) {
    return variable == 0x3F || variable == 0x21 || variable == 0x40 || variable == 0x23;
}

}  // namespace

void ConsoleEcu::fromTester(std::span<const std::uint8_t> bytes) {
    // The adapter hands every byte back before any answer.
    pending.insert(pending.end(), bytes.begin(), bytes.end());
    for (const std::uint8_t b : bytes) {
        collecting.push_back(b);
        if (b == 0x0D) {
            frames.push_back(collecting);
            answer(unescapePayload(collecting));
            collecting.clear();
        }
    }
}

std::size_t ConsoleEcu::toTester(std::uint8_t* buffer, std::size_t max) {
    const std::size_t n = std::min(max, pending.size());
    std::copy_n(pending.begin(), n, buffer);
    pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(n));
    return n;
}

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

void ConsoleEcu::answer(const Bytes& payload) {
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
    const Bytes frame = answerFrame(data);
    pending.insert(pending.end(), frame.begin(), frame.end());
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

Bytes answerFrame(const Bytes& data) {
    Bytes frame;
    for (const std::uint8_t b : data) {
        if (b == 0x0D) {
            frame.insert(frame.end(), {0x40, 0xCD});
        } else if (b == 0x40) {
            frame.insert(frame.end(), {0x40, 0x00});
        } else {
            frame.push_back(b);
        }
    }
    unsigned sum = 0;
    for (const std::uint8_t b : frame) {
        sum += b;
    }
    frame.push_back(static_cast<std::uint8_t>(0x100 - (sum & 0xFF)));
    frame.push_back(0x0D);
    return frame;
}

Bytes unescapePayload(const Bytes& wire) {
    Bytes payload;
    const std::size_t end = wire.size() >= 2 ? wire.size() - 2 : 0;
    for (std::size_t i = 0; i < end; ++i) {
        if (wire[i] == 0x40 && i + 1 < end) {
            payload.push_back(static_cast<std::uint8_t>(0x40 + wire[++i]));
        } else {
            payload.push_back(wire[i]);
        }
    }
    return payload;
}

void PanelTest::SetUp() {
    link.close();
    link.attach(device, clock, ports);
    // Outputs the ECU reports on: fuel pump and both coils (flag byte C, variable 0x09).
    peer.variables[0x09] = 0x38;
    panel.emplace(timer);
}

void PanelTest::TearDown() {
    panel.reset();
    link.detach();
    ecu::exchangeBusy = 0;
    ecu::chosenPortNumber = 0;
}

void PanelTest::startConnected() {
    panel->onStart();
    ASSERT_EQ(session().connected, 1);
    peer.frames.clear();
}

void PanelTest::tick() {
    ASSERT_TRUE(timer.fire());
}

}  // namespace ecuprobe::console::testing
