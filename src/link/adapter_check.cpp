#include "link/adapter_check.h"

#include <algorithm>
#include <numeric>

#include "link/echo_verdict.h"
#include "link/framing.h"

namespace ecuprobe::link {

namespace {

// Sums of the bytes before the terminator that would complete a frame: 0 makes
// it valid, 0xF3 makes the terminator a checksum 0x0D for the next one.
constexpr std::uint8_t completingSums[] = {0x00, 0xF3};
constexpr std::uint8_t fillers[] = {0xAA, 0xAB, 0xAC};

bool completes(std::uint8_t sum) {
    return std::find(std::begin(completingSums), std::end(completingSums), sum) !=
           std::end(completingSums);
}

// Marks the values that did not come back. An echo of the full length is compared
// place by place; a shorter one is taken as the frame with some bytes swallowed
// (as XON/XOFF handling swallows 0x11 and 0x13), matched in order.
void compareEcho(std::span<const std::uint8_t> sent, std::span<const std::uint8_t> back,
                 SelfTestResult& result) {
    const bool fullLength = back.size() == sent.size();
    std::size_t j = 0;
    for (std::size_t i = 0; i < sent.size(); ++i) {
        if (j < back.size() && back[j] == sent[i]) {
            ++j;
            continue;
        }
        result.badValues.set(sent[i]);
        j += fullLength ? 1 : 0;
    }
}

void countFailure(EchoVerdict verdict, SelfTestResult& result) {
    switch (verdict) {
        case EchoVerdict::nothing:
            ++result.framesWithoutEcho;
            break;
        case EchoVerdict::partial:
            ++result.framesEchoedShort;
            break;
        case EchoVerdict::changed:
        case EchoVerdict::answerInPlace:
            ++result.framesEchoedChanged;
            break;
        case EchoVerdict::echoed:
            break;
    }
}

// Reads what is still coming of an echo that missed its deadline, until the line
// is quiet, so that it is not taken for the echo of the next frame; how many bytes.
std::size_t drainLateEcho(SerialPort& port) {
    std::size_t count = 0;
    for (; count < 2 * SelfTestFrames::frameLength; ++count) {
        port.readByte();
        if (port.noByte()) {
            break;
        }
    }
    return count;
}

void checkFrame(SerialPort& port, const std::vector<std::uint8_t>& frame, SelfTestResult& result) {
    platform::Clock& clock = port.clock();
    const std::uint32_t startMs = clock.tickMs();
    port.writeBytes(frame.data(), static_cast<std::uint8_t>(frame.size()));
    const std::uint32_t tookMs = clock.tickMs() - startMs;
    ++result.framesSent;
    result.deviceGone = port.deviceGone();
    const EchoCheck check = port.lastEcho();
    const std::span<const std::uint8_t> back = port.lastEchoBytes();
    if (check == EchoCheck::none || check == EchoCheck::failed) {
        compareEcho(frame, back, result);
        ++result.framesReadFailed;
        return;
    }
    const EchoVerdict verdict = classifyEcho(frame, back);
    if (verdict == EchoVerdict::echoed) {
        result.echoMs.push_back(tookMs);
        return;
    }
    const bool cameShort = back.size() < frame.size();
    if (cameShort && !result.deviceGone && back.size() + drainLateEcho(port) >= frame.size()) {
        ++result.framesEchoedLate;
        return;
    }
    compareEcho(frame, back, result);
    countFailure(verdict, result);
}

}  // namespace

std::vector<std::uint8_t> SelfTestFrames::next() {
    std::vector<std::uint8_t> frame;
    frame.reserve(frameLength);
    while (frame.size() < valuesPerFrame) {
        if (value != frameTerminator) {
            frame.push_back(value);
        }
        ++value;
    }
    const auto sum = std::accumulate(
        frame.begin(), frame.end(), std::uint8_t{0},
        [](std::uint8_t a, std::uint8_t b) { return static_cast<std::uint8_t>(a + b); });
    for (const std::uint8_t filler : fillers) {
        if (!completes(static_cast<std::uint8_t>(sum + filler))) {
            frame.push_back(filler);
            break;
        }
    }
    frame.push_back(frameTerminator);
    return frame;
}

int SelfTestResult::echoErrors() const {
    return framesWithoutEcho + framesEchoedShort + framesEchoedLate + framesEchoedChanged +
           framesReadFailed;
}

std::uint32_t SelfTestResult::medianEchoMs() const {
    if (echoMs.empty()) {
        return 0;
    }
    std::vector<std::uint32_t> sorted = echoMs;
    std::sort(sorted.begin(), sorted.end());
    return sorted[sorted.size() / 2];
}

std::uint32_t SelfTestResult::worstEchoMs() const {
    return echoMs.empty() ? 0 : *std::max_element(echoMs.begin(), echoMs.end());
}

SelfTestResult runAdapterSelfTest(SerialPort& port, int frameCount,
                                  const std::function<bool()>& keepGoing) {
    SelfTestResult result;
    SelfTestFrames frames;
    for (int n = 0; n < frameCount && keepGoing() && !result.deviceGone; ++n) {
        checkFrame(port, frames.next(), result);
    }
    return result;
}

}  // namespace ecuprobe::link
