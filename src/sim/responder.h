#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "sim/ecu_state.h"
#include "sim/engine_model.h"

namespace ecuprobe::sim {

// Faults that change what the ECU says rather than how the line carries it.
struct AnswerFaults {
    bool refuseWrites = false;
    bool noIdentification = false;
    bool noSpeedSensor = false;
};

// The ECU's command handler: one request payload in, one answer payload out.
//
//   0x01            type byte
//   0x02            count n, then n (code, status) pairs
//   0x51..0x58      16-byte passport block, CP866, zero-padded
//   0x61 v...       values of the variables in request order
//   0x62 (v, x)...  writes; answers 0 (accepted) or 1 (refused)
//   0x63            values of the variables selected by 0x64
//   0x64 v...       selects them; answers 0
class Responder {
public:
    static constexpr std::uint8_t accepted = 0;
    static constexpr std::uint8_t refused = 1;

    Responder(EcuState& ecuState, const EngineModel& engine) : ecu(ecuState), model(engine) {}

    // nullopt: the ECU stays silent (unknown command, malformed request, or a text
    // it does not have).
    std::optional<std::vector<std::uint8_t>> answer(std::span<const std::uint8_t> request,
                                                    const AnswerFaults& faults);

private:
    std::optional<std::vector<std::uint8_t>> readVariables(std::span<const std::uint8_t> numbers,
                                                           const AnswerFaults& faults) const;
    std::optional<std::vector<std::uint8_t>> write(std::span<const std::uint8_t> pairs,
                                                   const AnswerFaults& faults);
    std::vector<std::uint8_t> faultList() const;

    EcuState& ecu;
    const EngineModel& model;
};

}  // namespace ecuprobe::sim
