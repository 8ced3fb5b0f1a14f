#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "link/serial_port.h"

namespace ecuprobe::link {

// Frames for checking an adapter's echo. Together they carry every byte value on
// the wire: 0x00..0xFF in turn as data (0x40 and 0x11/0x13, which a line with
// XON/XOFF would swallow, among them) and 0x0D as the terminator. No receiver
// takes one for a request: the bytes before each terminator never sum to 0 (nor
// to 0xF3, which would make the terminator a checksum), and 0x40 never stands
// right before it, so an ECU on the line drops every one of them.
//
//   offset  length  content
//   0       30      the next 30 values of 0x00..0xFF without 0x0D, round and round
//   30      1       0xAA, 0xAB or 0xAC: whichever keeps the sum wrong
//   31      1       0x0D
class SelfTestFrames {
public:
    static constexpr std::size_t frameLength = 32;
    static constexpr std::size_t valuesPerFrame = 30;
    // Frames until every value has been sent once.
    static constexpr int framesForEveryValue = 9;

    std::vector<std::uint8_t> next();

private:
    std::uint8_t value = 0;
};

// What the check found.
struct SelfTestResult {
    int framesSent = 0;
    // Frames whose echo did not come back as sent, by how it failed.
    int framesWithoutEcho = 0;
    int framesEchoedShort = 0;
    // The whole echo came, but after the deadline of the echo read (count + 20 ms):
    // an adapter that holds bytes back (an FTDI latency timer).
    int framesEchoedLate = 0;
    int framesEchoedChanged = 0;
    // The read of the echo failed, or the device went away during the check.
    int framesReadFailed = 0;
    // Byte values that came back changed or not at all, in any frame.
    std::bitset<256> badValues;
    // Milliseconds from each write to its complete, correct echo.
    std::vector<std::uint32_t> echoMs;
    bool deviceGone = false;

    int echoErrors() const;
    bool perfect() const { return framesSent > 0 && echoErrors() == 0 && !deviceGone; }
    // Over echoMs; 0 when no frame came back whole.
    std::uint32_t medianEchoMs() const;
    std::uint32_t worstEchoMs() const;
};

// Sends frames over an open port and compares each echo byte for byte, timing it
// on the port's clock. An echo that misses its deadline is read to its end before
// the next frame, so one late echo is not taken for the next frame's. keepGoing
// is asked before each frame (a stop signal).
SelfTestResult runAdapterSelfTest(SerialPort& port, int frameCount,
                                  const std::function<bool()>& keepGoing);

}  // namespace ecuprobe::link
