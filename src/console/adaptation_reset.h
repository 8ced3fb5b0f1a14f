#pragma once

#include <cstdint>
#include <string_view>

#include "ecu/ecu_session.h"
#include "reports/user_prompts.h"

namespace ecuprobe::console {

// The two adaptation tables the "Х" buttons clear.
enum class AdaptationTable : std::uint8_t { lambda, knock };

enum class ResetOutcome : std::uint8_t {
    declined,  // No: nothing sent
    cleared,   // the ECU acknowledged
    failed,    // no acknowledgement: the session's status text says which
    stopped,   // a stop came before the write: nothing sent
};

inline constexpr std::string_view resetQuestionCaption = "Очистка таблицы.";

// Asks whether to clear the table (Yes the default) and clears it on Yes; after
// a stop it neither asks nor sends. The
// question is open while the poll runs on: the reset holds exchangeBusy only for
// its own exchange.
ResetOutcome resetAdaptation(AdaptationTable table, ecu::EcuSession& session,
                             reports::UserPrompts& prompts);

}  // namespace ecuprobe::console
