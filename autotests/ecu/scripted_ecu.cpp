#include "scripted_ecu.h"

namespace ecuprobe::ecu::testing {

void ScriptedEcu::fromTester(std::span<const std::uint8_t> bytes) {
    // The adapter hands every byte back first.
    pending.insert(pending.end(), bytes.begin(), bytes.end());
    const Bytes wire(bytes.begin(), bytes.end());
    const Bytes payload = unescapePayload(wire);
    sent.push_back({wire, payload, clock.tickMs(), exchangeBusy});
    if (reply) {
        if (const std::optional<Bytes> data = reply(payload)) {
            const Bytes frame = answerFrame(*data);
            pending.insert(pending.end(), frame.begin(), frame.end());
        }
    }
}

std::size_t ScriptedEcu::toTester(std::uint8_t* buffer, std::size_t max) {
    const std::size_t n = std::min(max, pending.size());
    std::copy_n(pending.begin(), n, buffer);
    pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(n));
    return n;
}

std::vector<Bytes> ScriptedEcu::payloads() const {
    std::vector<Bytes> all;
    for (const SentFrame& frame : sent) {
        all.push_back(frame.payload);
    }
    return all;
}

Bytes answerFrame(const Bytes& data) {
    Bytes frame;
    for (std::uint8_t b : data) {
        if (b == 0x0D) {
            frame.insert(frame.end(), {0x40, 0xCD});
        } else if (b == 0x40) {
            frame.insert(frame.end(), {0x40, 0x00});
        } else {
            frame.push_back(b);
        }
    }
    unsigned sum = 0;
    for (std::uint8_t b : frame) {
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

void SessionTest::SetUp() {
    link.close();
    link.attach(device, clock, ports);
    exchangeBusy = 0;
    chosenPortNumber = 0;
}

void SessionTest::TearDown() {
    link.close();
    // The link outlives this test's device and clock; leave it on ones that stay.
    static platform::FakeClock idleClock;
    static platform::EchoPeer idlePeer;
    static platform::InMemorySerialDevice idleDevice{idleClock, idlePeer};
    static const platform::PortMap idlePorts;
    link.attach(idleDevice, idleClock, idlePorts);
    exchangeBusy = 0;
    chosenPortNumber = 0;
}

void SessionTest::openConnected() {
    chosenPortNumber = 2;
    ASSERT_EQ(link.open(2), 0);
    session.connected = 1;
}

void SessionTest::answerAll(const Bytes& data) {
    ecu.reply = [data](const Bytes&) { return std::optional<Bytes>(data); };
}

}  // namespace ecuprobe::ecu::testing
