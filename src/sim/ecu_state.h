#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "sim/sim_types.h"

namespace ecuprobe::sim {

// What the ECU remembers besides the engine: its type, equipment, fault list, the
// control registers and parameters written by the tester, and the data set that
// 0x63 returns.
class EcuState {
public:
    // Variables of the standard data set, selected until 0x64 says otherwise.
    static constexpr std::uint8_t standardDataSetVariable = 0x20;

    std::uint8_t typeByte = mikas54Type;
    EquipmentBytes equipment = defaultEquipment;
    std::vector<StoredFault> faults;
    ControlState controls;
    std::vector<std::uint8_t> dataSet{standardDataSetVariable};

    // One (variable, value) pair of the write command 0x62.
    void write(std::uint8_t variable, std::uint8_t value);
    // Power off and on: every override and volatile value goes, the non-volatile
    // copies, the adaptation tables and the fault list stay.
    void powerCycle();

    // Parameter values in force: the tester's while its override bit is set,
    // otherwise the non-volatile copy, or -1 where the ECU regulates on its own.
    int ignitionCorrection() const;  // signed half degrees
    std::uint8_t rcod() const;
    std::uint8_t rcok() const;
    // The same as corrections: from 0 down to -0.5.
    double rcodValue() const;
    double rcokValue() const;
    int idleSpeedOverride() const;  // rpm, -1 when the ECU regulates
    int stepperOverride() const;    // steps, -1 when the ECU regulates
    int purgeOverride() const;      // %, -1 when the ECU decides
    int egrOverride() const;        // %, -1 when the ECU decides
    // Output bit of 0x09 as forced by the tester, or -1 when the ECU decides.
    int forcedOutput(std::uint8_t bit) const;
    bool injectorCut(int cylinder) const;  // cylinder 1..4
    // Regulator switches of 0x0E; 0 leaves both to the ECU (on).
    bool lambdaRegulatorEnabled() const;
    bool knockRegulatorEnabled() const;

private:
    void command0E(std::uint8_t value);
    void store();

    bool pendingStore = false;
};

}  // namespace ecuprobe::sim
