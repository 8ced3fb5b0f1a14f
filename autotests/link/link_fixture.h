#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "link/frame_exchange.h"
#include "platform/clock.h"
#include "platform/in_memory_serial_device.h"
#include "platform/port_map.h"

namespace ecuprobe::link::testing_support {

// The K-line adapter and an ECU in virtual time: echoes what the tester writes
// (faithfully or with a scripted fault), then sends the next queued reply. Bytes
// can also be scheduled to reach the tester at a later virtual moment.
class AdapterPeer : public platform::WirePeer {
public:
    enum class Echo { faithful, oneShort, changed, none };

    explicit AdapterPeer(platform::Clock& lineClock) : clock(lineClock) {}

    void fromTester(std::span<const std::uint8_t> bytes) override {
        written.insert(written.end(), bytes.begin(), bytes.end());
        std::vector<std::uint8_t> echoed(bytes.begin(), bytes.end());
        if (echo == Echo::oneShort && !echoed.empty()) {
            echoed.pop_back();
        } else if (echo == Echo::changed && !echoed.empty()) {
            echoed.back() ^= 0x01;
        } else if (echo == Echo::none) {
            echoed.clear();
        }
        arrive(echoed);
        if (!replies.empty()) {
            arrive(replies.front());
            replies.pop_front();
        }
    }

    std::size_t toTester(std::uint8_t* buffer, std::size_t max) override {
        std::size_t n = 0;
        while (n < max && !pending.empty() && pending.front().first <= clock.tickMs()) {
            buffer[n++] = pending.front().second;
            pending.pop_front();
        }
        taken += n;
        return n;
    }

    bool present() const override { return plugged; }

    // Bytes on their way to the tester, there from atMs on (now when not given).
    void arrive(std::span<const std::uint8_t> bytes) { arriveAt(clock.tickMs(), bytes); }
    void arriveAt(std::uint32_t atMs, std::span<const std::uint8_t> bytes) {
        for (std::uint8_t b : bytes) {
            pending.emplace_back(atMs, b);
        }
    }
    void reply(std::vector<std::uint8_t> bytes) { replies.push_back(std::move(bytes)); }

    Echo echo = Echo::faithful;
    bool plugged = true;
    std::vector<std::uint8_t> written;
    std::size_t taken = 0;

private:
    platform::Clock& clock;
    std::deque<std::pair<std::uint32_t, std::uint8_t>> pending;
    std::deque<std::vector<std::uint8_t>> replies;
};

// One link object on an in-memory line; COMn maps to "/dev/k-line-n".
class LinkTest : public testing::Test {
protected:
    LinkTest() {
        for (int i = 0; i < platform::PortMap::portCount; ++i) {
            ports.setPath(i, "/dev/k-line-" + std::to_string(i + 1));
        }
        link.attach(device, clock, ports);
        link.setErrorObserver([this](std::string_view text) { errors.emplace_back(text); });
    }

    void openPort() { ASSERT_EQ(link.open(2), OpenResult::opened); }

    std::uint64_t virtualMs() const { return clock.totalSleptMs(); }

    platform::FakeClock clock;
    AdapterPeer peer{clock};
    platform::InMemorySerialDevice device{clock, peer};
    platform::PortMap ports;
    FrameExchange link;
    std::vector<std::string> errors;
};

}  // namespace ecuprobe::link::testing_support
