#pragma once

#include <functional>
#include <string>

#include "platform/serial_device.h"

namespace ecuprobe::bench {

// A serial device that notes when the tester last wrote and when bytes last
// came: after an answer, the two bound its exchange from request to terminator.
class TimedDevice final : public platform::SerialDevice {
public:
    // `nowMs` reads a clock finer than the tester's millisecond tick.
    TimedDevice(platform::SerialDevice& device, std::function<double()> nowMs)
        : inner(device), now(std::move(nowMs)) {}

    bool open(const std::string& path) override;
    bool exists(const std::string& path) const override { return inner.exists(path); }
    bool readLineSettings(platform::LineSettings& settings) override;
    bool applyLineSettings(const platform::LineSettings& settings) override {
        return inner.applyLineSettings(settings);
    }
    bool lacksModemLines() const override { return inner.lacksModemLines(); }
    bool readTimeouts(platform::ReadTimeouts& timeouts) override;
    bool setTimeouts(const platform::ReadTimeouts& timeouts) override;
    platform::ReadOutcome read(std::uint8_t* buffer, std::size_t count) override;
    platform::WriteOutcome write(const std::uint8_t* data, std::size_t count) override;
    void flushInput() override { inner.flushInput(); }
    bool close() override { return inner.close(); }
    bool isOpen() const override { return inner.isOpen(); }

    // From the last write to the last byte that came after it; 0 before an answer.
    double exchangeMs() const { return readAtMs > wroteAtMs ? readAtMs - wroteAtMs : 0; }

private:
    // The step's outcome, with the device's reason kept when it failed.
    bool step(bool done);

    platform::SerialDevice& inner;
    std::function<double()> now;
    double wroteAtMs = 0;
    double readAtMs = 0;
};

}  // namespace ecuprobe::bench
