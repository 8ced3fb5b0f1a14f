#pragma once

#include <optional>

#include "ecu/ecu_session.h"
#include "ecu/unanswered_reads.h"
#include "reports/measured_report.h"
#include "reports/user_prompts.h"

namespace ecuprobe::reports {

// The three lines that open every state report.
extern const TitleLines stateReportTitle;

// The ECU state report that "Запись" appends to the tester dump file: the live
// values read afresh, the stored faults, the identification and the equipment.
class TesterDump {
public:
    TesterDump(ecu::EcuSession& ecuSession, UserPrompts& userPrompts)
        : session(ecuSession), prompts(userPrompts) {}

    // Writes one report; nullopt when there is no connection and nothing was done.
    // Refreshes the live data and the speed-sensor flag, blanks the passports' line
    // breaks and clears identityRead, so that the next report reads them again.
    std::optional<ReportOutcome> saveStateReport();
    // What the last report holds without the ECU's answer: the live values of the
    // reset, and empty fields (no identification lines) for the rest.
    const ecu::UnansweredReads& unanswered() const { return missing; }

private:
    void writeLiveValues(ReportFile& file) const;
    void writeFaults(ReportFile& file);
    void writeIdentity(ReportFile& file);
    void writeEquipment(ReportFile& file);

    ecu::EcuSession& session;
    UserPrompts& prompts;
    ecu::UnansweredReads missing;
};

}  // namespace ecuprobe::reports
