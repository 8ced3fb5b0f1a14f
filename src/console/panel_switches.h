#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <span>
#include <string>
#include <string_view>

#include "console/panel_controls.h"
#include "console/panel_snapshot.h"
#include "ecu/ecu_session.h"

namespace ecuprobe::console {

enum class SwitchKind : std::uint8_t {
    injector,
    coil,
    // The output boxes 1077, 1065, 1064, 1066 and 1076, which every live read refreshes.
    output,
    // The regulator boxes, whose state only the console keeps.
    regulator,
};

// One check box of the console that switches an ECU output or regulator.
struct SwitchControl {
    ControlId id;
    std::string_view caption;  // UTF-8
    SwitchKind kind;
    // The console's state of the switch, which the operation takes by reference.
    std::int32_t PanelFields::*state;
    // The state the session records; null for the regulators.
    std::int32_t (*recorded)(const ecu::EcuSession& session);
    void (*operate)(ecu::EcuSession& session, std::int32_t& state);
    // The control register and bit through which the switch takes its output over.
    std::uint8_t heldRegister;
    std::uint8_t heldMask;
};

// Every switch box, in the order of the dialog.
std::span<const SwitchControl> switchTable();

// The row of a switch box, nullptr for any other control.
const SwitchControl* findSwitch(ControlId id);

// Puts on a snapshot what the tester may still hold over the ECU (and of that,
// what the ECU confirmed holding): the note, the boxes concerned and their check
// marks (see PanelSnapshot::held).
void showHeld(const ecu::OwedControls& owed, const ecu::OwedControls& confirmed, bool connected,
              PanelSnapshot& shown);

// What the console shows of the outputs: the switch boxes' marks and what is
// held. A status text about the outputs is stale once this changes.
struct OutputsShown {
    std::map<ControlId, bool> marks;
    std::set<ControlId> held;
    std::string heldNote;

    bool operator==(const OutputsShown&) const = default;
};
OutputsShown outputsShown(const PanelSnapshot& shown);

}  // namespace ecuprobe::console
