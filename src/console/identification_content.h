#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "console/panel_controls.h"
#include "ecu/ecu_identity.h"
#include "ecu/ecu_session.h"
#include "ecu/unanswered_reads.h"

namespace ecuprobe::console {

// One read-only field of the identification dialog, with its caption to the left.
struct IdentificationField {
    ControlId control;  // in the identification dialog, not the console
    std::string_view caption;
    bool multiLine;
    std::string text;  // UTF-8

    bool operator==(const IdentificationField&) const = default;
};

// What the identification dialog shows: the ten fields of the ECU's texts, in
// the dialog's order, and the equipment list on its right half.
struct IdentificationContent {
    std::array<IdentificationField, 10> fields;
    std::string equipment;  // UTF-8, lines separated by CR LF

    bool operator==(const IdentificationContent&) const = default;
};

inline constexpr std::string_view identificationTitle = "Идентификация ЭБУ";
inline constexpr std::string_view equipmentCaption = "Комплектация";  // above the list
inline constexpr ControlId equipmentControl = 1138;
inline constexpr std::string_view identificationCloseCaption = "Выход";

IdentificationContent identificationContent(const ecu::EcuIdentity& identity,
                                            std::string equipment);

// What "Идент." shows: the texts read once per connection, the equipment on
// every call; no content, and nothing to show, when the ECU gave no passport block.
struct IdentificationRead {
    std::optional<IdentificationContent> content;
    // The fields left empty because the ECU did not answer their requests.
    ecu::UnansweredReads unanswered;
};
IdentificationRead readIdentification(ecu::EcuSession& session);

}  // namespace ecuprobe::console
