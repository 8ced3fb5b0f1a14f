#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "sim/ecu_state.h"
#include "sim/sim_types.h"

namespace ecuprobe::sim {

// What the values of the ECU's variables are made from.
struct VariableSources {
    const EngineTruth& truth;
    const EcuState& ecu;
    bool speedSensor = true;
    // Closed-loop fuel adaptation factor (COEFF2), 1 after a lambda adaptation reset.
    double adaptation = 1.0;
};

// Width in bytes of a variable's value: 1 or 2 (little-endian), 16 for a text
// variable. Variables 1..5 hold the six equipment bytes, 2 in variable 1.
std::size_t variableWidth(std::uint8_t variable);

// Appends the raw value of one variable. An unknown number reads as 0.
void appendVariable(std::vector<std::uint8_t>& out, std::uint8_t variable,
                    const VariableSources& from);

}  // namespace ecuprobe::sim
