#pragma once

#include <optional>
#include <string_view>

#include "sim/sim_types.h"

namespace ecuprobe::sim {

// A fault rule written as text, as ecu-sim takes it:
//
//   KIND[:OPTION,OPTION...]
//   KIND    silence badsum wrongecho noecho shortecho cut garbage noise refuse
//           noident nospeed vanish, and sigterm and signal (which stop the tester
//           only where it runs the simulator inside itself: --simulate)
//   OPTION  once | every=N | after=N | p=CHANCE | cmd=0xNN | ms=N (vanish time)
//           | sig=N (the signal's number, for signal)
//
// e.g. "silence:after=5", "badsum:every=3,cmd=0x61", "vanish:once,ms=3000",
// "signal:sig=25,cmd=2,once".
std::optional<FaultRule> parseFaultRule(std::string_view text);

// Stored fault codes written as "code:status,..." in decimal and hex,
// e.g. "13:20,131:60".
std::optional<std::vector<StoredFault>> parseStoredFaults(std::string_view text);

// Equipment bytes 0..5 written as twelve hex digits, e.g. "5F00C101B301".
std::optional<EquipmentBytes> parseEquipment(std::string_view text);

}  // namespace ecuprobe::sim
