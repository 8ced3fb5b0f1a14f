#include "sim/responder.h"

#include <algorithm>

#include "sim/ecu_variables.h"
#include "sim/identity_texts.h"

namespace ecuprobe::sim {

namespace {

// An answer payload must fit one frame of the tester's 256-byte receive buffer
// with escapes, checksum and terminator; longer requests are not answered.
constexpr std::size_t maxAnswerPayload = 120;
constexpr std::size_t maxFaultPairs = 54;

}  // namespace

std::optional<std::vector<std::uint8_t>> Responder::answer(std::span<const std::uint8_t> request,
                                                           const AnswerFaults& faults) {
    if (request.empty()) {
        return std::nullopt;
    }
    const std::uint8_t command = request[0];
    const auto args = request.subspan(1);
    switch (command) {
        case 0x01:
            return std::vector<std::uint8_t>{ecu.typeByte};
        case 0x02:
            return faultList();
        case 0x61:
            return readVariables(args, faults);
        case 0x62:
            return write(args, faults);
        case 0x63:
            return readVariables(ecu.dataSet, faults);
        case 0x64:
            if (args.empty()) {
                return std::nullopt;
            }
            ecu.dataSet.assign(args.begin(), args.end());
            return std::vector<std::uint8_t>{accepted};
        default:
            break;
    }
    if (faults.noIdentification) {
        return std::nullopt;
    }
    if (const auto block = passportBlock(command, ecu.typeByte)) {
        return std::vector<std::uint8_t>(block->begin(), block->end());
    }
    return std::nullopt;
}

std::optional<std::vector<std::uint8_t>> Responder::readVariables(
    std::span<const std::uint8_t> numbers, const AnswerFaults& faults) const {
    if (numbers.empty()) {
        return std::nullopt;
    }
    const bool asksText = std::any_of(numbers.begin(), numbers.end(), isTextVariable);
    if (faults.noIdentification && asksText) {
        return std::nullopt;
    }
    const EngineTruth truth = model.truth();
    const VariableSources from{truth, ecu, !faults.noSpeedSensor, ecu.controls.lambdaAdaptation};
    std::vector<std::uint8_t> out;
    for (std::uint8_t number : numbers) {
        appendVariable(out, number, from);
    }
    if (out.size() > maxAnswerPayload) {
        return std::nullopt;
    }
    return out;
}

std::optional<std::vector<std::uint8_t>> Responder::write(std::span<const std::uint8_t> pairs,
                                                          const AnswerFaults& faults) {
    if (pairs.empty() || pairs.size() % 2 != 0) {
        return std::nullopt;
    }
    if (faults.refuseWrites) {
        return std::vector<std::uint8_t>{refused};
    }
    for (std::size_t i = 0; i + 1 < pairs.size(); i += 2) {
        ecu.write(pairs[i], pairs[i + 1]);
    }
    return std::vector<std::uint8_t>{accepted};
}

std::vector<std::uint8_t> Responder::faultList() const {
    const std::size_t count = std::min(ecu.faults.size(), maxFaultPairs);
    std::vector<std::uint8_t> out{static_cast<std::uint8_t>(count)};
    for (std::size_t i = 0; i < count; ++i) {
        out.push_back(ecu.faults[i].code);
        out.push_back(ecu.faults[i].status);
    }
    return out;
}

}  // namespace ecuprobe::sim
