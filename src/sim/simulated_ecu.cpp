#include "sim/simulated_ecu.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "sim/driver_scenario.h"
#include "sim/engine_model.h"
#include "sim/responder.h"

namespace ecuprobe::sim {

SimulatedEcu::SimulatedEcu(platform::Clock& simClock, SimulatedEcuOptions options)
    : clock(simClock),
      model(std::make_unique<EngineModel>(ecu, options.seed)),
      driver(std::make_unique<DriverScenario>(*model)),
      responder(std::make_unique<Responder>(ecu, *model)),
      faults(options.seed),
      noise(options.seed ^ 0x5DEECE66Dull),
      answerDelayMs(options.answerDelayMs),
      adapterEchoes(options.adapterEchoes) {
    ecu.typeByte = options.typeByte;
    ecu.equipment = options.equipment;
    ecu.faults = std::move(options.faults);
    driver->start(options.scenario);
}

SimulatedEcu::~SimulatedEcu() = default;

void SimulatedEcu::stepTo(std::uint32_t nowMs) {
    if (!started) {
        started = true;
        lastTickMs = nowMs;
        baseTickMs = nowMs;
    }
    // Unsigned difference: survives the wrap of the 32-bit tick count.
    elapsedMs += static_cast<std::uint32_t>(nowMs - lastTickMs);
    lastTickMs = nowMs;
    while (model->timeMs() + EngineModel::stepMs <= elapsedMs) {
        driver->beforeStep(model->timeMs());
        model->step();
        if (recorder.watching()) {
            recorder.sample(baseTickMs + model->timeMs(), model->truth());
        }
    }
}

bool SimulatedEcu::goneAt(std::uint32_t nowMs) const {
    return vanished && static_cast<std::int32_t>(goneUntilMs - nowMs) > 0;
}

void SimulatedEcu::advanceTo(std::uint32_t nowMs) {
    std::lock_guard lock(mutex);
    stepTo(nowMs);
}

void SimulatedEcu::advance() {
    advanceTo(clock.tickMs());
}

bool SimulatedEcu::present() const {
    std::lock_guard lock(mutex);
    return !goneAt(clock.tickMs());
}

std::optional<std::uint32_t> SimulatedEcu::msUntilDue() const {
    std::lock_guard lock(mutex);
    const std::uint32_t now = clock.tickMs();
    if (goneAt(now)) {
        return msUntil(goneUntilMs, now);
    }
    if (!outbound.empty()) {
        return msUntil(outbound.front().dueMs, now);
    }
    if (garbageActive) {
        return msUntil(garbageSinceMs, now);
    }
    return std::nullopt;
}

void SimulatedEcu::fromTester(std::span<const std::uint8_t> bytes) {
    std::lock_guard lock(mutex);
    const std::uint32_t now = clock.tickMs();
    stepTo(now);
    if (goneAt(now) || bytes.empty()) {
        return;
    }
    if (trace != nullptr) {
        trace->bytes(platform::WireTrace::Direction::written, bytes);
    }
    // Whatever the tester writes ends an endless stream of garbage.
    garbageActive = false;
    for (std::uint8_t b : bytes) {
        takeByte(b, now);
        if (goneAt(now)) {
            return;
        }
    }
}

void SimulatedEcu::takeByte(std::uint8_t byte, std::uint32_t nowMs) {
    const bool firstOfFrame = collector.atFrameStart();
    if (firstOfFrame) {
        plan = faults.planFor(byte);
        noteFaults(byte);
        if (plan.has(FaultKind::vanish)) {
            vanish(nowMs, plan.vanishMs);
            return;
        }
    }
    // The adapter hands each byte straight back, before the ECU can answer.
    if (adapterEchoes && !plan.has(FaultKind::missingEcho) &&
        (firstOfFrame || !plan.has(FaultKind::shortEcho))) {
        const bool spoilt = firstOfFrame && plan.has(FaultKind::wrongEcho);
        const std::uint8_t echo = spoilt ? static_cast<std::uint8_t>(byte ^ 0xFF) : byte;
        queue({&echo, 1}, nowMs, true);
    }
    if (link::feedByte(collector, frame, byte) == link::FeedResult::complete) {
        completeFrame(nowMs);
    }
}

void SimulatedEcu::vanish(std::uint32_t nowMs, std::uint32_t forMs) {
    vanished = true;
    goneUntilMs = nowMs + std::max<std::uint32_t>(forMs, 1);
    ++vanishes;
    outbound.clear();
    garbageActive = false;
    collector.restart();
}

void SimulatedEcu::completeFrame(std::uint32_t nowMs) {
    // The frame holds the data, then its checksum and the terminator.
    const std::size_t length = collector.rxLength >= 2 ? collector.rxLength - 2u : 0u;
    collector.restart();
    const std::vector<std::uint8_t> request(frame.begin(),
                                            frame.begin() + static_cast<std::ptrdiff_t>(length));
    log.add({nowMs, request, false});
    if (plan.has(FaultKind::stopSignal) && stopTester) {
        stopTester(plan.signalNumber);
    }
    if (request.empty() || plan.has(FaultKind::silence)) {
        return;
    }
    const AnswerFaults answerFaults{plan.has(FaultKind::refusedWrite),
                                    plan.has(FaultKind::noIdentification),
                                    plan.has(FaultKind::noSpeedSensor)};
    const auto answer = responder->answer(request, answerFaults);
    if (!answer) {
        return;
    }
    log.markLatestAnswered();
    if (request[0] == 0x64 && ecu.dataSet != std::vector<std::uint8_t>{0x20}) {
        driver->startManoeuvre(model->timeMs());
    }
    const std::uint32_t due = nowMs + answerDelayMs;
    if (plan.has(FaultKind::garbage)) {
        garbageActive = true;
        garbageSinceMs = due;
        return;
    }
    if (plan.has(FaultKind::noise)) {
        const auto stray = noiseFrame();
        queue(stray, due, false);
    }
    const auto wire = spoil(link::encodeFrame(*answer));
    queue(wire, due, false);
}

std::vector<std::uint8_t> SimulatedEcu::spoil(std::vector<std::uint8_t> wire) {
    std::uint8_t& checksum = wire[wire.size() - 2];
    if (plan.has(FaultKind::badChecksum)) {
        do {
            ++checksum;
        } while (checksum == link::frameTerminator || checksum == link::escapeByte);
    }
    if (plan.has(FaultKind::cutAnswer)) {
        wire.resize(std::max<std::size_t>(1, (wire.size() - 1) / 2));
    }
    return wire;
}

std::uint8_t SimulatedEcu::strayByte() {
    std::uniform_int_distribution<int> any(0, 255);
    std::uint8_t b = 0;
    do {
        b = static_cast<std::uint8_t>(any(noise));
    } while (b == link::frameTerminator || b == link::escapeByte);
    return b;
}

std::vector<std::uint8_t> SimulatedEcu::noiseFrame() {
    // A few stray bytes closed by 0x0D whose sum is wrong, so the tester drops them.
    std::vector<std::uint8_t> stray(3);
    std::uint8_t sum = link::frameTerminator;
    for (std::uint8_t& b : stray) {
        b = strayByte();
        sum = static_cast<std::uint8_t>(sum + b);
    }
    if (sum == link::frameTerminator) {
        stray[0] = stray[0] == 0x01 ? 0x02 : 0x01;
    }
    stray.push_back(link::frameTerminator);
    return stray;
}

void SimulatedEcu::queue(std::span<const std::uint8_t> bytes, std::uint32_t dueMs, bool echo) {
    for (std::uint8_t b : bytes) {
        outbound.push_back({dueMs, b, echo});
    }
}

std::size_t SimulatedEcu::drain(std::uint8_t* buffer, std::size_t max, std::uint32_t nowMs) {
    std::size_t n = 0;
    while (n < max && !outbound.empty() &&
           static_cast<std::int32_t>(nowMs - outbound.front().dueMs) >= 0) {
        const bool echo = outbound.front().echo;
        std::size_t runStart = n;
        while (n < max && !outbound.empty() && outbound.front().echo == echo &&
               static_cast<std::int32_t>(nowMs - outbound.front().dueMs) >= 0) {
            buffer[n++] = outbound.front().byte;
            outbound.pop_front();
        }
        traceOut({buffer + runStart, n - runStart}, echo);
    }
    if (garbageActive && outbound.empty() &&
        static_cast<std::int32_t>(nowMs - garbageSinceMs) >= 0) {
        // About one byte per millisecond, the pace of the line.
        const std::size_t due = std::min<std::size_t>(max - n, nowMs - garbageSinceMs + 1);
        const std::size_t start = n;
        for (std::size_t i = 0; i < due; ++i) {
            buffer[n++] = strayByte();
        }
        garbageSinceMs += static_cast<std::uint32_t>(due);
        traceOut({buffer + start, n - start}, false);
    }
    return n;
}

std::size_t SimulatedEcu::toTester(std::uint8_t* buffer, std::size_t max) {
    std::lock_guard lock(mutex);
    const std::uint32_t now = clock.tickMs();
    stepTo(now);
    if (goneAt(now)) {
        return 0;
    }
    return drain(buffer, max, now);
}

void SimulatedEcu::traceOut(std::span<const std::uint8_t> bytes, bool echo) {
    if (trace != nullptr) {
        trace->bytes(
            echo ? platform::WireTrace::Direction::echo : platform::WireTrace::Direction::received,
            bytes);
    }
}

void SimulatedEcu::noteFaults(std::uint8_t command) {
    if (trace == nullptr || plan.empty()) {
        return;
    }
    std::string text = "fault";
    for (int k = 0; k <= static_cast<int>(FaultKind::stopSignal); ++k) {
        if (plan.has(static_cast<FaultKind>(k))) {
            text += ' ';
            text += faultKindName(static_cast<FaultKind>(k));
        }
    }
    char hex[16];
    std::snprintf(hex, sizeof hex, " on 0x%02X", command);
    trace->note(text + hex);
}

}  // namespace ecuprobe::sim
